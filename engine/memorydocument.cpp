#include "memorydocument.h"

#include "base/error.h"

namespace engine {

namespace {
const char *const kFailure = "Unspecified error.";
}

void MemoryElement::check() const
{
    if (m_failing)
        throw base::Error(QString::fromLatin1(kFailure));
}

QString MemoryElement::type() const
{
    check();
    return m_type;
}
QString MemoryElement::name() const
{
    check();
    return m_name;
}
QString MemoryElement::value() const
{
    check();
    return m_value;
}
QString MemoryElement::altText() const
{
    check();
    return m_alt;
}
QString MemoryElement::valueText() const
{
    check();
    return m_value;
}

void MemoryElement::setValue(const QString &value)
{
    check();
    m_value = value;
    m_doc->record(*this, JournalEntry::Value, value);
}

void MemoryElement::setChecked(bool on)
{
    check();
    m_checked = on;
    if (on && m_type.compare(QLatin1String("radio"), Qt::CaseInsensitive) == 0)
        m_doc->clearRadioGroup(*this);
    m_doc->record(*this, JournalEntry::Checked, QString(), on);
}

void MemoryElement::click()
{
    check();
    m_doc->record(*this, JournalEntry::Click);
}

MemoryDocument::MemoryDocument() = default;
MemoryDocument::~MemoryDocument() = default;

MemoryElement &MemoryDocument::addElement(const QString &tag)
{
    auto e = std::make_unique<MemoryElement>();
    e->m_tag = tag.toLower();
    e->m_doc = this;
    e->m_index = int(m_elements.size());
    m_elements.push_back(std::move(e));
    m_radiosByName.reset();
    return *m_elements.back();
}

MemoryElement &MemoryDocument::addInput(const QString &type, const QString &name, const QString &value)
{
    MemoryElement &e = addElement(QStringLiteral("input"));
    e.m_type = type;
    e.m_name = name;
    e.m_value = value;
    return e;
}

MemoryElement &MemoryDocument::addTextArea(const QString &name, const QString &value)
{
    MemoryElement &e = addElement(QStringLiteral("textarea"));
    e.m_name = name;
    e.m_value = value;
    return e;
}

MemoryDocument &MemoryDocument::addFrame()
{
    m_frames.push_back({Frame::Html, std::make_unique<MemoryDocument>()});
    return *m_frames.back().doc;
}

void MemoryDocument::addRefusedFrame() { m_frames.push_back({Frame::Refused, nullptr}); }
void MemoryDocument::addFrameWithoutDocument() { m_frames.push_back({Frame::NoDocument, nullptr}); }

Element *MemoryDocument::element(int index)
{
    if (index < 0 || index >= elementCount())
        throw base::Error(QStringLiteral("Element index out of range."));
    return m_elements[size_t(index)].get();
}

Document *MemoryDocument::frameDocument(int index)
{
    if (index < 0 || index >= frameCount())
        throw base::Error(QStringLiteral("Frame index out of range."));
    Frame &f = m_frames[size_t(index)];
    switch (f.kind) {
    case Frame::Html: return f.doc.get();
    case Frame::Refused: throw base::Error(QStringLiteral("Access is denied."));
    case Frame::NoDocument: break;
    }
    return nullptr;
}

void MemoryDocument::record(const MemoryElement &e, JournalEntry::Kind kind, const QString &value, bool checked)
{
    m_journal.push_back({e.m_index, kind, value, checked});
}

void MemoryDocument::clearRadioGroup(const MemoryElement &except)
{
    // HTML: a radio group is the radios of one form owner sharing a non-empty name.
    if (except.m_name.isEmpty())
        return;
    if (!m_radiosByName) {
        // Built at the first tick, once the document is complete; a page of
        // thousands of radios would otherwise take a walk of the whole page
        // for each of them.
        m_radiosByName = std::make_unique<QHash<QString, std::vector<MemoryElement *>>>();
        for (auto &e : m_elements)
            if (e->isInput() && !e->m_name.isEmpty() &&
                e->m_type.compare(QLatin1String("radio"), Qt::CaseInsensitive) == 0)
                (*m_radiosByName)[e->m_name].push_back(e.get());
    }
    const auto group = m_radiosByName->constFind(except.m_name);
    if (group == m_radiosByName->constEnd())
        return;
    for (MemoryElement *e : *group)
        if (e != &except && e->m_form == except.m_form)
            e->m_checked = false;
}

} // namespace engine
