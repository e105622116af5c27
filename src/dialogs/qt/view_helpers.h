// What the dialog views share: naming a widget as its field in the model, and
// taking typed text into a CP932 field.
#pragma once

#include <QLineEdit>
#include <QSignalBlocker>
#include <QString>
#include <string>

#include "common/error.h"
#include "dialogs/qt/qt_questions.h"
#include "dialogs/qt/qt_text.h"

namespace drwa::dialogs::qt {

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The edit's text into `field` (CP932). A character without a CP932 form is
// refused: the user is told which one, and the edit shows the field again.
inline bool TakeEditText(QLineEdit* edit, std::string& field) {
    try {
        field = ToCp932(edit->text());
        return true;
    } catch (const Error& e) {
        ShowErrorOver(edit->window(), e.what(), nullptr);
    }
    const QSignalBlocker quiet(edit);
    edit->setText(ToQString(field));
    return false;
}

}  // namespace drwa::dialogs::qt
