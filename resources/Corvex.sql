-- The seed of the local library, copied into the shared container on first use.
-- Integer columns hold signed 64-bit values; every column may be null (it reads as 0 or "").
CREATE TABLE LocalVideos (
    vid INTEGER,
    sign TEXT,
    preurl TEXT,
    title TEXT,
    url TEXT,
    description TEXT,
    time INTEGER,
    size INTEGER,
    imgurl TEXT,
    imgsize INTEGER,
    tags TEXT,
    ratio TEXT,
    width INTEGER,
    height INTEGER,
    frame INTEGER,
    rate INTEGER,
    audio INTEGER,
    uptime TEXT,
    down INTEGER,
    view INTEGER,
    author TEXT,
    avatar TEXT,
    avatarsize INTEGER,
    hp TEXT,
    upcount INTEGER,
    state INTEGER
);
-- Lookups and the one-row-per-sign check go by sign.
CREATE INDEX LocalVideos_sign ON LocalVideos (sign);
