#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <optional>

// The one video player every desktop window shows. It holds at most one item (a local file) and a
// rate that is either playing or paused; the rate is kept across items, so when an item ends and
// the owner replaces it (or rewinds it) playback goes on without another play. Events arrive on the
// thread that owns the player (the main thread).
class Player : public QObject {
    Q_OBJECT
public:
    // The latest picture for the views: a texture in the shared OpenGL context group, the size of
    // that texture and the shape of the video (display size, so the views crop it correctly).
    struct Frame {
        unsigned int texture = 0;
        QSize textureSize;
        QSize videoSize;
        bool isValid() const { return texture != 0 && !textureSize.isEmpty() && !videoSize.isEmpty(); }
    };

    using QObject::QObject;

    // The file of the current item, or none when the player has no item.
    virtual std::optional<QString> currentItem() const = 0;
    bool hasCurrentItem() const { return currentItem().has_value(); }
    // Loads the file as the new current item (none: no item), starting at its beginning and
    // keeping the rate.
    virtual void replaceCurrentItem(const std::optional<QString>& path) = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    // Whether the rate is "playing" (also while the item sits at its end).
    virtual bool isPlaying() const = 0;
    // Seeks the current item back to its start (nothing without an item).
    virtual void seekToZero() = 0;

    virtual bool isMuted() const = 0;
    virtual void setMuted(bool muted) = 0;
    // A linear gain from 0 (silent) to 1 (unchanged).
    virtual float volume() const = 0;
    virtual void setVolume(float volume) = 0;

    // Views draw this picture; a player that renders nothing answers an invalid frame.
    virtual Frame currentFrame() const { return {}; }
    // A view tells the player how many pixels it covers, so that the picture is rendered no larger
    // than the biggest view needs. `view` identifies the caller; removing it forgets its size.
    virtual void setViewSize(const void* view, QSize pixels) {
        Q_UNUSED(view);
        Q_UNUSED(pixels);
    }
    virtual void removeView(const void* view) { Q_UNUSED(view); }

signals:
    // The current item played to its end (the player stays at the end with its rate).
    void itemDidReachEnd();
    // The current item could not be loaded or decoded.
    void itemDidFail();
    // The current item was opened and starts showing.
    void itemDidStart();
    // A new picture is ready in currentFrame().
    void frameReady();
};
