#pragma once

#include "ScreenList.h"

// Screens for the agent's tests: a list the test sets; setting it announces the change.
class AgentTestScreens : public ScreenList {
    Q_OBJECT
public:
    explicit AgentTestScreens(std::vector<QRect> frames) : m_frames(std::move(frames)) {}
    std::vector<QRect> screens() const override { return m_frames; }
    void setScreens(std::vector<QRect> frames) {
        m_frames = std::move(frames);
        emit screensChanged();
    }

private:
    std::vector<QRect> m_frames;
};
