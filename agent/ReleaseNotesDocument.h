#pragma once

#include <QTextDocument>

// The document behind the update panel's text area. Release notes come from the server as HTML;
// they are shown as text only: nothing they reference (images, style sheets, local files, data
// addresses) is ever loaded.
class ReleaseNotesDocument : public QTextDocument {
    Q_OBJECT
public:
    explicit ReleaseNotesDocument(QObject* parent = nullptr);

protected:
    QVariant loadResource(int type, const QUrl& name) override;
};
