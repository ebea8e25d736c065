#pragma once

#include "VideoDetail.h"

#include <QString>
#include <functional>
#include <optional>

// What the detail pane asks of the page that shows it (the library page).
class VideoDetailViewDelegate {
public:
    using DetailChanged = std::function<void(const std::optional<VideoDetail>&)>;

    virtual ~VideoDetailViewDelegate() = default;

    // The pane's update closure: the delegate calls it on the main thread whenever the selected
    // video changes (none: no selection).
    virtual DetailChanged videoDetailDidChanged() const = 0;
    virtual void setVideoDetailDidChanged(DetailChanged closure) = 0;
    // Loads the online list with that author's videos.
    virtual void filterOnlineList(const QString& author) = 0;
    virtual void downloadVideo(const VideoDetail& video) = 0;
    // Makes the local video with that sign the wallpaper and turns the player on.
    virtual void playVideo(const QString& sign) = 0;
    virtual void showDownloadTab() = 0;
};
