#include "messages.h"

#include <QCoreApplication>

namespace platform {

namespace {

MessageSink &boxes()
{
    static MessageSink b;
    return b;
}

MessageSink &sink()
{
    static MessageSink s;
    return s;
}

// Every text goes through here: to the sink, else the boxes, else the log.
bool tell(const QString &kind, const QString &text)
{
    if (const MessageSink &to = sink() ? sink() : boxes())
        return to(kind, text);
    qWarning("%s: %s", qPrintable(kind), qPrintable(text));
    return false;
}

} // namespace

QString applicationTitle() { return QCoreApplication::translate("platform", "Korvane Software Doduvodaz"); }

void installMessageBoxes(MessageSink b) { boxes() = std::move(b); }

void setMessageSink(MessageSink s) { sink() = std::move(s); }

void showMessage(const QString &text) { tell(QStringLiteral("message"), text); }

void showError(const QString &text) { tell(QStringLiteral("error"), text); }

bool askYesNo(const QString &text) { return tell(QStringLiteral("question"), text); }

} // namespace platform
