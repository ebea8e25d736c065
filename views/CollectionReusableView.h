#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A view the collection view places on its viewport and recycles by reuse identifier: the base of
// the cells and of the section footer. It paints its own background colour (clear by default), so
// whatever lies behind the collection view shows through.
class CollectionReusableView : public QWidget {
    Q_OBJECT

public:
    explicit CollectionReusableView(QWidget* parent = nullptr);

    QString reuseIdentifier() const { return m_reuseIdentifier; }
    void setReuseIdentifier(const QString& identifier) { m_reuseIdentifier = identifier; }

    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& color);

    // Called when the view goes back to the recycle pool, before it is handed out again.
    virtual void prepareForReuse() {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_reuseIdentifier;
    QColor m_backgroundColor = Qt::transparent;
};
