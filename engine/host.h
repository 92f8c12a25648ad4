#pragma once
// What the engine asks of the program around it. The shell shows real message
// boxes; tests record the calls.
#include <QString>

namespace engine {

class Host {
public:
    virtual ~Host() = default;
    // A plain message box with an OK button; returns when the user closed it.
    virtual void showMessage(const QString &text) = 0;
    // The texts of the username and password boxes, read at the moment of use.
    virtual QString loginUsername() const = 0;
    virtual QString loginPassword() const = 0;
};

} // namespace engine
