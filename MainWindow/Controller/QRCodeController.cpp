#include "QRCodeController.h"

#include "AppImage.h"
#include "CloseOnlyWindow.h"
#include "PlainText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

QRCodeController::QRCodeController(QWidget* parent) : QDialog(parent, CloseOnlyWindow::flags) {
    setWindowTitle(QCoreApplication::translate("Localizable", "Mobile"));
    setModal(false);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Base));
    setPalette(palette);
    setAutoFillBackground(true);
    m_picture = new QLabel;
    PlainText::keep(m_picture);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setPixmap(QPixmap::fromImage(AppImage::named(QStringLiteral("QRCode"), QSize(240, 240))));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(m_picture);
    CloseOnlyWindow::keepSize(this, QSize(280, 280));
}
