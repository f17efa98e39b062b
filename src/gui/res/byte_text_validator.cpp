#include "gui/res/byte_text_validator.h"

#include <QLineEdit>
#include <QValidator>

namespace omniset::res {

namespace {

class ByteTextValidator final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return holdsAsBytes(input) ? Acceptable : Invalid;
    }
};

} // namespace

bool holdsAsBytes(const QString& text) {
    for (QChar c : text)
        if (c.unicode() == 0 || c.unicode() > 0xFF) return false;
    return true;
}

void installByteText(QLineEdit* edit) { edit->setValidator(new ByteTextValidator(edit)); }

} // namespace omniset::res
