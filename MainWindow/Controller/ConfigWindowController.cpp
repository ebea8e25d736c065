#include "ConfigWindowController.h"

#include "CloseOnlyWindow.h"
#include "Preferences.h"
#include "ScreenList.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

ConfigWindowController::ConfigWindowController(Preferences& preferences, ScreenList& screens, QWidget* parent)
    : QDialog(parent, CloseOnlyWindow::flags), m_preferences(preferences), m_screens(screens) {
    setWindowTitle(QCoreApplication::translate("Localizable", "Preferences"));
    setModal(false);

    m_autoStartCheckBox =
        new QCheckBox(QCoreApplication::translate("Localizable", "Launch ZerafinHelper at login"));
    m_multipleRadioButton = new QRadioButton(QCoreApplication::translate("Localizable", "Integration"));
    m_mirrorRadioButton = new QRadioButton(QCoreApplication::translate("Localizable", "Mirror"));
    m_singleRadioButton = new QRadioButton(QCoreApplication::translate("Localizable", "Single"));
    m_arrangement = new QButtonGroup(this);
    m_arrangement->addButton(m_multipleRadioButton, 0);
    m_arrangement->addButton(m_mirrorRadioButton, 1);
    m_arrangement->addButton(m_singleRadioButton, 2);
    m_monitorList = new QComboBox;

    auto* monitors = new QGroupBox(QCoreApplication::translate("Localizable", "Multiple monitors"));
    auto* monitorLayout = new QVBoxLayout(monitors);
    monitorLayout->addWidget(m_multipleRadioButton);
    monitorLayout->addWidget(m_mirrorRadioButton);
    auto* singleRow = new QHBoxLayout;
    singleRow->addWidget(m_singleRadioButton);
    singleRow->addWidget(m_monitorList, 1);
    monitorLayout->addLayout(singleRow);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addWidget(m_autoStartCheckBox);
    layout->addWidget(monitors);
    layout->addStretch(1);
    CloseOnlyWindow::keepSize(this, QSize(360, 220));

    reloadMonitorList();
    selectArrangement(m_preferences.monitorArrange());
    selectScreen(m_preferences.screenIndex());

    connect(m_arrangement, &QButtonGroup::idClicked, this, &ConfigWindowController::changeMonitorArrange);
    connect(m_monitorList, &QComboBox::activated, this, [this] { switchMonitor(); });
    // Values outside the three arrangements leave the buttons as they are.
    m_observeDisposes.push_back(
        observe(&m_preferences, &Preferences::monitorArrangeChanged, this, [this](qint64 value) {
            if (value >= 0 && value <= 2)
                selectArrangement(value);
        }));
    m_observeDisposes.push_back(observe(&m_preferences, &Preferences::screenIndexChanged, this,
                                        [this](qint64 index) { selectScreen(index); }));
    // The check box shows the setting and writes it back at once.
    m_autoStartCheckBox->setChecked(m_preferences.autolaunch());
    m_observeDisposes.push_back(observe(&m_preferences, &Preferences::autolaunchChanged, this,
                                        [this](bool on) { m_autoStartCheckBox->setChecked(on); }));
    connect(m_autoStartCheckBox, &QCheckBox::clicked, this,
            [this](bool on) { m_preferences.setAutolaunch(on); });
    // Monitors come and go while the window is open.
    connect(&m_screens, &ScreenList::screensChanged, this, [this] {
        reloadMonitorList();
        selectScreen(m_preferences.screenIndex());
    });
}

ConfigWindowController::~ConfigWindowController() = default;

QList<QVariantMap> ConfigWindowController::monitorArray() const {
    QList<QVariantMap> monitors;
    const auto frames = m_screens.screens();
    for (int position = 0; position < int(frames.size()); ++position) {
        QVariantMap entry;
        entry.insert(QStringLiteral("name"),
                     QCoreApplication::translate("Localizable", "Monitor %d", "Monitor Name")
                         .replace(QLatin1String("%d"), QString::number(position + 1)));
        entry.insert(QStringLiteral("tag"), position);
        monitors << entry;
    }
    return monitors;
}

void ConfigWindowController::changeMonitorArrange(int tag) {
    m_preferences.setMonitorArrange(tag);
}

void ConfigWindowController::switchMonitor() {
    const int current = m_monitorList->currentIndex();
    m_preferences.setScreenIndex(current < 0 ? 0 : m_monitorList->itemData(current).toLongLong());
}

void ConfigWindowController::selectArrangement(qint64 value) {
    QRadioButton* button = value == 1   ? m_mirrorRadioButton
                           : value == 2 ? m_singleRadioButton
                                        : m_multipleRadioButton;
    button->setChecked(true);
}

void ConfigWindowController::selectScreen(qint64 index) {
    const int item = m_monitorList->findData(index);
    if (item >= 0)
        m_monitorList->setCurrentIndex(item);
}

void ConfigWindowController::reloadMonitorList() {
    const qint64 shown = m_monitorList->currentIndex() >= 0 ? m_monitorList->currentData().toLongLong() : -1;
    m_monitorList->clear();
    for (const QVariantMap& monitor : monitorArray())
        m_monitorList->addItem(monitor.value(QStringLiteral("name")).toString(),
                               monitor.value(QStringLiteral("tag")));
    if (shown >= 0)
        selectScreen(shown);
}
