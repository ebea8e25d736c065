#pragma once

#include "AlertPresenter.h"
#include "CollectionView.h"
#include "DownloadItemCell.h"
#include "FileChooser.h"
#include "FileRevealer.h"
#include "FooterView.h"
#include "ImageLoader.h"
#include "ListContainerView.h"
#include "MenuPresenter.h"
#include "NotificationCenter.h"
#include "PreviewPresenter.h"
#include "VideoItemCell.h"
#include "ZFCollectionView.h"

#include <QLabel>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QWidget>
#include <memory>

// Menus shown are recorded; an item is chosen by its title.
class FakeMenuPresenter : public MenuPresenter {
public:
    void popUp(const QList<Item>& items, QWidget* view, const QPoint& position) override {
        shown.append(items);
        lastView = view;
        lastPosition = position;
    }
    QStringList titles(int menu = -1) const {
        QStringList out;
        if (shown.isEmpty())
            return out;
        for (const Item& item : shown.at(menu < 0 ? shown.size() - 1 : menu))
            out << item.title;
        return out;
    }
    bool choose(const QString& title) {
        if (shown.isEmpty())
            return false;
        for (const Item& item : shown.last())
            if (item.title == title) {
                item.action();
                return true;
            }
        return false;
    }
    QList<QList<Item>> shown;
    QWidget* lastView = nullptr;
    QPoint lastPosition;
};

// Messages are recorded in order; confirmations are answered with `answer`.
class FakeAlertPresenter : public AlertPresenter {
public:
    void showMessage(const QString& message) override { messages << message; }
    void confirm(QWidget* window, const QString& message, const QStringList& buttons, Style style,
                 std::function<void(int)> answered) override {
        confirmations << message;
        confirmButtons = buttons;
        confirmStyle = style;
        confirmWindow = window;
        answered(answer);
    }
    QStringList messages;
    QStringList confirmations;
    QStringList confirmButtons;
    Style confirmStyle = Style::informational;
    QWidget* confirmWindow = nullptr;
    int answer = 0;
};

class FakeFileChooser : public FileChooser {
public:
    void chooseFiles(QWidget*, const QStringList& suffixes,
                     std::function<void(const QList<QUrl>&)> chosen) override {
        askedSuffixes = suffixes;
        if (!files.isEmpty())
            chosen(files);
    }
    QStringList askedSuffixes;
    QList<QUrl> files; // empty: the user cancels
};

class FakeFileRevealer : public FileRevealer {
public:
    void revealFile(const QString& path) override { revealed << path; }
    void openFolder(const QString& path) override { opened << path; }
    QStringList revealed;
    QStringList opened;
};

// A window that offers previews, as the main window does.
class PreviewingWindow : public QWidget, public PreviewPresenter {
public:
    void showPreviewWindow(const QUrl& url, const QRect&) override { previews << url; }
    QList<QUrl> previews;
};

// The library page's grid as the lists see it: a window (offering previews) holding the container
// with the collection view inside, the cells and footer registered, programmatic selections
// reported.
struct GridRig {
    explicit GridRig(bool listLayout = false) {
        window.resize(800, 600);
        container = new ListContainerView(&window);
        container->setGeometry(0, 0, 800, 600);
        collectionView = new ZFCollectionView(container);
        collectionView->setGeometry(0, 0, 800, 600);
        if (listLayout) {
            collectionView->setCollectionViewLayout(std::make_shared<CollectionViewListLayout>());
        } else {
            auto layout = std::make_shared<CollectionViewColumnLayout>();
            layout->setFooterHeight(30);
            collectionView->setCollectionViewLayout(layout);
        }
        collectionView->setNotifyDelegate(true);
        collectionView->setAllowsEmptySelection(false);
        collectionView->setRepeatSelections(true);
        collectionView->registerCell(VideoItemCell::reuseIdentifier, [] { return new VideoItemCell(); });
        collectionView->registerCell(DownloadItemCell::reuseIdentifier,
                                     [] { return new DownloadItemCell(); });
        collectionView->registerSupplementaryView(CollectionView::elementKindSectionFooter,
                                                  FooterView::reuseIdentifier,
                                                  [] { return new FooterView(); });
        window.show();
    }

    QString footerText() {
        const auto* footer = collectionView->findChild<FooterView*>();
        return footer && footer->isVisible() ? footer->titleLabel()->text() : QString();
    }

    PreviewingWindow window;
    ListContainerView* container = nullptr;
    ZFCollectionView* collectionView = nullptr;
};

// A right or double click event at a point of the viewport.
inline std::unique_ptr<QMouseEvent> mouseEvent(QEvent::Type type, Qt::MouseButton button,
                                               QPoint at = {10, 10}) {
    return std::make_unique<QMouseEvent>(type, QPointF(at), QPointF(at), button, button, Qt::NoModifier);
}
