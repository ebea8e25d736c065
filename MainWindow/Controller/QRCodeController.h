#pragma once

#include <QDialog>

class QLabel;

// A small window with the QR picture of the maker's web site, for opening it on a phone.
class QRCodeController : public QDialog {
    Q_OBJECT
public:
    explicit QRCodeController(QWidget* parent = nullptr);

    QLabel* pictureLabel() const { return m_picture; }

private:
    QLabel* m_picture = nullptr;
};
