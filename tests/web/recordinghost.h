#pragma once
// The engine's host for page tests: keeps the messages and answers the login
// boxes with empty texts.
#include "engine/host.h"

#include <QStringList>

class RecordingHost : public engine::Host {
public:
    void showMessage(const QString &text) override { messages << text; }
    QString loginUsername() const override { return QString(); }
    QString loginPassword() const override { return QString(); }
    QStringList messages;
};
