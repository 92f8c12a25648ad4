#pragma once
// Small stand-ins for what the engine asks of the program around it: a
// software record held in a hash, a host that records messages and event
// runs, and a browser control that hands out one in-memory document.
#include "engine/document.h"
#include "base/error.h"
#include "engine/host.h"
#include "engine/record.h"

#include <QHash>
#include <QStringList>
#include <functional>

namespace enginetest {

// The 18 fields the form fill reads.
inline const QStringList kFillFields = {
    QStringLiteral("Company_Name"),
    QStringLiteral("Company_WebSite_URL"),
    QStringLiteral("Author_Email"),
    QStringLiteral("Program_Name"),
    QStringLiteral("Program_Version"),
    QStringLiteral("Program_Cost_Dollars"),
    QStringLiteral("Program_Install_Support"),
    QStringLiteral("Program_System_Requirements"),
    QStringLiteral("Program_Category_Class"),
    QStringLiteral("File_Size_K"),
    QStringLiteral("Expire_Day"),
    QStringLiteral("Keywords"),
    QStringLiteral("Char_Desc_45"),
    QStringLiteral("Char_Desc_2000"),
    QStringLiteral("Application_Order_URL"),
    QStringLiteral("Application_Screenshot_URL"),
    QStringLiteral("Application_XML_File_URL"),
    QStringLiteral("Primary_Download_URL"),
};

inline QString valueOf(const QString &field) { return QStringLiteral("value of ") + field; }

// Field lookups ignore case; a missing field raises the table's error. Every
// read is appended to the shared log when one is given.
class FakeRecord : public engine::Record {
public:
    // Every fill field holds "value of <name>"; Program_Install_Support holds
    // installSupport.
    static FakeRecord full(const QString &installSupport = QStringLiteral("Install and Uninstall"))
    {
        FakeRecord r;
        for (const QString &f : kFillFields)
            r.set(f, valueOf(f));
        r.set(QStringLiteral("Program_Install_Support"), installSupport);
        return r;
    }

    void set(const QString &name, const QString &text) { m_fields.insert(name.toUpper(), {name, text}); }
    void remove(const QString &name) { m_fields.remove(name.toUpper()); }

    QString fieldText(const QString &name) const override
    {
        if (log)
            log->append(QStringLiteral("read ") + name);
        const auto it = m_fields.constFind(name.toUpper());
        if (it == m_fields.constEnd())
            throw base::Error(QStringLiteral("ClientDataSet1: Field '%1' not found").arg(name));
        return it->second;
    }

    QStringList *log = nullptr;

private:
    QHash<QString, std::pair<QString, QString>> m_fields;
};

class FakeHost : public engine::Host {
public:
    void showMessage(const QString &text) override
    {
        messages << text;
        if (log)
            log->append(QStringLiteral("message ") + text);
    }
    QString loginUsername() const override
    {
        ++credentialReads;
        return username;
    }
    QString loginPassword() const override
    {
        ++credentialReads;
        return password;
    }

    QStringList messages;
    QStringList *log = nullptr;
    mutable int credentialReads = 0;
    QString username, password;
};

class FakeBrowser : public engine::Browser {
public:
    explicit FakeBrowser(engine::Document *doc) : m_doc(doc) { }
    engine::Document *document() override
    {
        ++calls;
        if (failure)
            throw base::Error(QStringLiteral("The page did not answer."));
        return m_doc;
    }
    bool failure = false;
    int calls = 0;

private:
    engine::Document *m_doc;
};

} // namespace enginetest
