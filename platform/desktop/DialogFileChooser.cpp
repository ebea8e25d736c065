#include "DialogFileChooser.h"

#include <QFileDialog>

void DialogFileChooser::chooseFiles(QWidget* parent, const QStringList& suffixes,
                                    std::function<void(const QList<QUrl>& files)> chosen) {
    auto* dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    QStringList patterns;
    for (const QString& suffix : suffixes)
        patterns << QStringLiteral("*.") + suffix;
    dialog->setNameFilter(patterns.join(QLatin1Char(' ')));
    QObject::connect(dialog, &QFileDialog::accepted, dialog, [dialog, chosen = std::move(chosen)] {
        if (chosen)
            chosen(dialog->selectedUrls());
    });
    dialog->open();
}
