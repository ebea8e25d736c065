#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

// The agent's own pictures, painted in code so that they scale to any screen density:
// "corvex_statusBar" (the status icon, a monochrome mask the desktop may tint) and
// "upgrade_back_ground" (the backdrop of the update panel).
class AgentArtwork {
public:
    // The image of that name at the given size in pixels; a null image for an unknown name.
    static QImage image(const QString& name, QSize size);
    // The status icon at the sizes trays ask for, marked as a mask.
    static QIcon statusBarIcon();
};
