#include "HardwareDecoding.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcDecoding, "zerafin.player")

// Formats that any hardware decoder handles: software decoding of one of these means there is no
// hardware decoder, not merely one that lacks this format.
bool everyDecoderHandles(const QString& format) {
    return format == QLatin1String("h264") || format == QLatin1String("hevc");
}
} // namespace

HardwareDecoding& HardwareDecoding::shared() {
    static HardwareDecoding instance;
    return instance;
}

QByteArray HardwareDecoding::hwdecOption() const {
    return state() == State::unavailable ? QByteArrayLiteral("no") : QByteArrayLiteral("auto-safe");
}

bool HardwareDecoding::report(const QString& format, const QString& decoder) {
    if (!decoder.isEmpty() && decoder != QLatin1String("no")) {
        m_state = State::available;
        return false;
    }
    if (!everyDecoderHandles(format))
        return false;
    State expected = State::unknown;
    if (!m_state.compare_exchange_strong(expected, State::unavailable))
        return false;
    qCInfo(lcDecoding).noquote() << "no hardware video decoder here:" << format
                                 << "decodes in software; later videos do without looking again";
    return true;
}
