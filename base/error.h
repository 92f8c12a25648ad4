#pragma once
// The one error type of the program. what() is the text the user sees.
#include <QString>
#include <stdexcept>

namespace base {

class Error : public std::runtime_error {
public:
    explicit Error(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) { }
    QString text() const { return m_text; }

private:
    QString m_text;
};

} // namespace base
