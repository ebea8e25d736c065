#pragma once

#include <QWidget>

class QProgressBar;

// The small window that stays in front of the library window while an import runs: a busy bar and
// no text. It has no title bar yet can take the keyboard focus.
class ProgressWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize contentSize{240, 64};

    explicit ProgressWindow(QWidget* parent = nullptr);

    bool canBecomeKeyWindow() const { return true; }
    bool canBecomeMainWindow() const { return true; }

    QProgressBar* progressIndicator() const { return m_progressIndicator; }

private:
    QProgressBar* m_progressIndicator = nullptr;
};
