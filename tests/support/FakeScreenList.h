#pragma once

#include "ScreenList.h"

// Screens chosen by the test; setScreens() reports a change like a monitor being plugged in.
class FakeScreenList : public ScreenList {
    Q_OBJECT
public:
    explicit FakeScreenList(std::vector<QRect> frames = {QRect(0, 0, 1920, 1080)})
        : m_frames(std::move(frames)) {}

    std::vector<QRect> screens() const override { return m_frames; }
    void setScreens(std::vector<QRect> frames) {
        m_frames = std::move(frames);
        emit screensChanged();
    }

private:
    std::vector<QRect> m_frames;
};
