#include "dialogs/qt/qt_text.h"

#include <QList>
#include <cstdio>

#include "common/error.h"
#include "dialogs/qt/view_texts.h"
#include "platform/charset_edge.h"
#include "text/sjis_bytes.h"

namespace drwa::dialogs::qt {

QString ToQString(std::string_view cp932) {
    if (auto utf8 = platform::TryCp932ToUtf8(cp932))
        return QString::fromUtf8(utf8->data(), static_cast<qsizetype>(utf8->size()));
    QString shown;
    for (std::size_t i = 0; i < cp932.size();) {
        const std::size_t n = text::SjisCharLength(cp932, i);
        if (auto one = platform::TryCp932ToUtf8(cp932.substr(i, n))) {
            shown += QString::fromUtf8(one->data(), static_cast<qsizetype>(one->size()));
            i += n;
        } else {
            shown += QChar::ReplacementCharacter;
            ++i;
        }
    }
    return shown;
}

std::optional<std::string> TryToCp932(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return platform::TryUtf8ToCp932(std::string_view(utf8.constData(), utf8.size()));
}

std::string ToCp932(const QString& text) {
    if (auto cp932 = TryToCp932(text)) return *std::move(cp932);
    for (const char32_t c : text.toUcs4()) {
        if (TryToCp932(QString::fromUcs4(&c, 1))) continue;
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        throw Error(texts::NoCp932Form(code));
    }
    // Every character alone has a form, the whole text not (a lone surrogate).
    throw Error(texts::NoCp932Form("?"));
}

}  // namespace drwa::dialogs::qt
