#pragma once

#include <QLabel>
#include <QPointer>
#include <QStaticText>

// The text of a suggestion row. On a highlighted row (dark background style) it is drawn white,
// and back in its own colour when the highlight moves on.
class SuggestibleTextFieldCell : public QLabel {
    Q_OBJECT
public:
    enum BackgroundStyle { Light = 0, Dark = 1 };

    explicit SuggestibleTextFieldCell(QWidget* parent = nullptr);

    BackgroundStyle backgroundStyle() const { return m_backgroundStyle; }
    void setBackgroundStyle(BackgroundStyle style);

    // The colour the text is drawn in now.
    QColor drawnTextColor() const;

    // The popup window while it is attached to the field this text belongs to.
    QWidget* suggestionsWindow() const { return m_suggestionsWindow; }
    void setSuggestionsWindow(QWidget* window) { m_suggestionsWindow = window; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BackgroundStyle m_backgroundStyle = Light;
    QPointer<QWidget> m_suggestionsWindow;
    QStaticText m_laidOut;
    QString m_laidOutSource;
    int m_laidOutWidth = -1;
    QFont m_laidOutFont;
};
