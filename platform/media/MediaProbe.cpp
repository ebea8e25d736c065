#include "MediaProbe.h"
#include "FFmpegLog.h"

#include <QFile>
#include <QImageWriter>
#include <QTransform>

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace {
QString averror(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// Containers that hold no moving picture (single images, text shown as video) are not media here.
bool isStillOrTextFormat(const char* name) {
    const QByteArray format(name ? name : "");
    return format == "image2" || format.endsWith("_pipe") || format == "tty" || format == "apng";
}

double seconds(int64_t value, AVRational base) {
    return double(value) * av_q2d(base);
}

struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct CodecDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;
using Codec = std::unique_ptr<AVCodecContext, CodecDeleter>;

std::optional<QImage> toImage(const AVFrame* frame) {
    const int width = frame->width;
    const int height = frame->height;
    if (width <= 0 || height <= 0)
        return std::nullopt;
    SwsContext* scaler =
        sws_getContext(width, height, AVPixelFormat(frame->format), width, height, AV_PIX_FMT_RGB24,
                       SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!scaler)
        return std::nullopt;
    QImage image(width, height, QImage::Format_RGB888);
    uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    const int rows = sws_scale(scaler, frame->data, frame->linesize, 0, height, planes, strides);
    sws_freeContext(scaler);
    if (rows != height)
        return std::nullopt;
    return image;
}
} // namespace

MediaProbe::MediaProbe(const QString& path) {
    // FFmpeg's complaints about a bad file go to our logging category; ours say what failed.
    FFmpegLog::install();

    // Only the file protocol: a playlist inside a local file must not reach the network.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVFormatContext* context = nullptr;
    int status = avformat_open_input(&context, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (status < 0) {
        m_error = averror(status);
        return;
    }
    if ((status = avformat_find_stream_info(context, nullptr)) < 0) {
        m_error = averror(status);
        avformat_close_input(&context);
        return;
    }
    if (isStillOrTextFormat(context->iformat->name)) {
        m_error = QStringLiteral("not a moving picture (%1)").arg(QString::fromUtf8(context->iformat->name));
        avformat_close_input(&context);
        return;
    }
    m_context = context;
    readFacts();
}

MediaProbe::~MediaProbe() {
    if (m_context)
        avformat_close_input(&m_context);
}

void MediaProbe::readFacts() {
    double longestStream = 0;
    for (unsigned i = 0; i < m_context->nb_streams; ++i) {
        const AVStream* stream = m_context->streams[i];
        const AVCodecParameters* parameters = stream->codecpar;
        if (stream->duration != AV_NOPTS_VALUE)
            longestStream = std::max(longestStream, seconds(stream->duration, stream->time_base));
        if (parameters->codec_type == AVMEDIA_TYPE_AUDIO)
            m_hasAudio = true;
        // Cover art and thumbnail tracks are pictures attached to the file, not its video.
        const bool attachedPicture =
            stream->disposition & (AV_DISPOSITION_ATTACHED_PIC | AV_DISPOSITION_TIMED_THUMBNAILS);
        if (parameters->codec_type != AVMEDIA_TYPE_VIDEO || attachedPicture || m_videoStream >= 0)
            continue;
        m_videoStream = int(i);
        m_width = std::max(0, parameters->width);
        m_height = std::max(0, parameters->height);
        AVRational rate = stream->avg_frame_rate;
        if (rate.num <= 0 || rate.den <= 0)
            rate = stream->r_frame_rate;
        m_frameRate = (rate.num > 0 && rate.den > 0) ? av_q2d(rate) : 0;
        m_dataRate =
            parameters->bit_rate > 0 ? parameters->bit_rate : std::max<int64_t>(0, m_context->bit_rate);
        if (const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr)) {
            // The matrix gives the counter-clockwise angle; turn it into a clockwise quarter turn.
            const double angle = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
            if (!std::isnan(angle)) {
                const int quarter = int(std::lround(-angle / 90.0));
                m_rotation = ((quarter % 4) + 4) % 4 * 90;
            }
        }
    }
    m_duration =
        m_context->duration != AV_NOPTS_VALUE ? double(m_context->duration) / AV_TIME_BASE : longestStream;
    if (!(m_duration > 0))
        m_duration = 0;
}

std::optional<QImage> MediaProbe::frameImage(double atSeconds, QString* error) {
    auto fail = [error](const QString& text) -> std::optional<QImage> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    if (!m_context)
        return fail(m_error.isEmpty() ? QStringLiteral("the file is not media") : m_error);
    if (m_videoStream < 0)
        return fail(QStringLiteral("the file has no video track"));

    AVStream* stream = m_context->streams[m_videoStream];
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return fail(QStringLiteral("no decoder for %1")
                        .arg(QString::fromUtf8(avcodec_get_name(stream->codecpar->codec_id))));
    Codec codec(avcodec_alloc_context3(decoder));
    if (!codec)
        return fail(QStringLiteral("out of memory"));
    int status = avcodec_parameters_to_context(codec.get(), stream->codecpar);
    if (status >= 0) {
        codec->thread_count = 0; // as many as the machine has
        status = avcodec_open2(codec.get(), decoder, nullptr);
    }
    if (status < 0)
        return fail(averror(status));

    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    const int64_t target = start + av_rescale_q(int64_t(std::max(0.0, atSeconds) * AV_TIME_BASE),
                                                AV_TIME_BASE_Q, stream->time_base);
    // Seek to the key frame before the moment, then decode forward to the moment itself.
    if (av_seek_frame(m_context, m_videoStream, target, AVSEEK_FLAG_BACKWARD) < 0)
        av_seek_frame(m_context, m_videoStream, start, AVSEEK_FLAG_BACKWARD);

    Packet packet(av_packet_alloc());
    Frame frame(av_frame_alloc());
    Frame kept(av_frame_alloc());
    if (!packet || !frame || !kept)
        return fail(QStringLiteral("out of memory"));
    bool haveFrame = false;
    bool reached = false;
    QString decodeError;

    auto drain = [&]() {
        while (!reached) {
            const int received = avcodec_receive_frame(codec.get(), frame.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return;
            if (received < 0) {
                decodeError = averror(received);
                return;
            }
            av_frame_unref(kept.get());
            av_frame_move_ref(kept.get(), frame.get());
            haveFrame = true;
            const int64_t pts = kept->best_effort_timestamp;
            if (pts == AV_NOPTS_VALUE || pts >= target)
                reached = true;
        }
    };

    bool ended = false;
    while (!reached && !ended) {
        const int read = av_read_frame(m_context, packet.get());
        if (read < 0) {
            ended = true;
            avcodec_send_packet(codec.get(), nullptr); // flush what the decoder holds
        } else {
            if (packet->stream_index == m_videoStream) {
                const int sent = avcodec_send_packet(codec.get(), packet.get());
                if (sent < 0 && sent != AVERROR(EAGAIN))
                    decodeError = averror(sent);
            }
            av_packet_unref(packet.get());
        }
        drain();
    }
    if (!haveFrame)
        return fail(decodeError.isEmpty() ? QStringLiteral("no frame could be decoded") : decodeError);

    auto image = toImage(kept.get());
    if (!image)
        return fail(QStringLiteral("the frame could not be converted"));
    if (m_rotation != 0)
        *image = image->transformed(QTransform().rotate(m_rotation));
    return image;
}

bool MediaProbe::writeThumbnail(double atSeconds, const QString& pngPath, QString* error) {
    const auto image = frameImage(atSeconds, error);
    if (!image)
        return false;
    QImageWriter writer(pngPath, "png");
    if (!writer.write(*image)) {
        if (error)
            *error = writer.errorString();
        return false;
    }
    return true;
}
