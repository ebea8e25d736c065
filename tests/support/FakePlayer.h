#pragma once

#include "Player.h"

#include <vector>

// A player that plays nothing: it records what it is asked to do and lets the test say when an
// item ends, fails or starts.
class FakePlayer : public Player {
    Q_OBJECT
public:
    using Player::Player;

    std::optional<QString> currentItem() const override { return m_item; }
    void replaceCurrentItem(const std::optional<QString>& path) override {
        m_item = path;
        loads.push_back(path);
    }
    void play() override {
        m_playing = true;
        ++playCalls;
    }
    void pause() override {
        m_playing = false;
        ++pauseCalls;
    }
    bool isPlaying() const override { return m_playing; }
    void seekToZero() override { ++seeks; }
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override { m_muted = muted; }
    float volume() const override { return m_volume; }
    void setVolume(float volume) override { m_volume = volume; }

    void finishItem() { emit itemDidReachEnd(); }
    void failItem() { emit itemDidFail(); }
    void startItem() { emit itemDidStart(); }

    std::vector<std::optional<QString>> loads;
    int playCalls = 0;
    int pauseCalls = 0;
    int seeks = 0;

private:
    std::optional<QString> m_item;
    bool m_playing = false;
    bool m_muted = false;
    float m_volume = 1.0f;
};
