#pragma once
// The program's functions on the page side. Each is defined once per
// document in the program's world, as the document is created
// (installPageFunctions), so that a call sends only the function's name and
// its arguments: a long script sent on every call costs the time to carry
// and read its whole text each time. A document made before the functions
// were installed gets the one function called, first.
#include <QObject>
#include <QString>
#include <QVariant>
#include <QWebEnginePage>
#include <functional>

namespace web {

// One page function: its name and its text, "(function (...) { ... })",
// both the same on every call.
struct PageFunction {
    QString name;
    QString source;
};

// A call of a page function with its arguments' script text ("1, true").
struct PageCall {
    const PageFunction *function = nullptr;
    QString arguments;

    bool isNull() const { return !function; }
    // The short script that calls the function, or answers that it is not
    // defined in the document.
    QString script() const;
    // The script that defines the function and then calls it.
    QString standalone() const;
};

// Calls the function; `answer` gets its result as callScript gives it.
void callPageFunction(QWebEnginePage *page, const PageCall &call, QObject *receiver,
                      std::function<void(const QVariant &result)> answer);

// Defines the functions in every document the page makes from now on.
void installPageFunctions(QWebEnginePage *page, const QList<const PageFunction *> &functions);

} // namespace web
