#pragma once

#include "Player.h"

#include <QStringList>

// A player for the agent's tests: keeps its item, rate, mute and volume, and counts what it was
// asked to do. Nothing is decoded or drawn.
class AgentTestPlayer : public Player {
    Q_OBJECT
public:
    using Player::Player;

    std::optional<QString> currentItem() const override { return m_item; }
    void replaceCurrentItem(const std::optional<QString>& path) override {
        m_item = path;
        loads << path.value_or(QString());
    }
    void play() override {
        m_playing = true;
        ++plays;
    }
    void pause() override {
        m_playing = false;
        ++pauses;
    }
    bool isPlaying() const override { return m_playing; }
    void seekToZero() override { ++rewinds; }
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override { m_muted = muted; }
    float volume() const override { return m_volume; }
    void setVolume(float volume) override { m_volume = volume; }

    QStringList loads;
    int plays = 0;
    int pauses = 0;
    int rewinds = 0;

private:
    std::optional<QString> m_item;
    bool m_playing = false;
    bool m_muted = false;
    float m_volume = 1.0f;
};
