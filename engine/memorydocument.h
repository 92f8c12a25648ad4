#pragma once
// An HTML document held in memory: the elements with their properties, radio
// groups cleared as HTML defines them, frames, and a journal of every write,
// tick and click. Unit tests build pages with it; the browser bridge runs the
// engine on a snapshot of a live page held in one of these. Build the whole
// document (elements with their names, types and forms) before running
// routines on it.
#include "document.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <memory>
#include <vector>

namespace engine {

class MemoryDocument;

class MemoryElement : public Element {
public:
    // What the element holds, read without the checks and the journal of
    // the engine's operations below.
    QString tagName() const { return m_tag; }       // lower case: input, textarea, select, button, ...
    QString declaredType() const { return m_type; } // the type the engine is told (inputs)
    QString declaredName() const { return m_name; }
    QString storedValue() const { return m_value; }
    QString storedAlt() const { return m_alt; }
    bool isChecked() const { return m_checked; }
    int formIndex() const { return m_form; } // form owner, for radio groups; -1 none
    bool isFailing() const { return m_failing; }

    // Building a document: set without a journal entry.
    MemoryElement &setDeclaredType(const QString &type)
    {
        m_type = type;
        return *this;
    }
    MemoryElement &setDeclaredName(const QString &name)
    {
        m_name = name;
        return *this;
    }
    MemoryElement &setStoredValue(const QString &value)
    {
        m_value = value;
        return *this;
    }
    MemoryElement &setStoredAlt(const QString &alt)
    {
        m_alt = alt;
        return *this;
    }
    MemoryElement &presetChecked(bool checked)
    {
        m_checked = checked;
        return *this;
    }
    MemoryElement &setFormIndex(int form)
    {
        m_form = form;
        return *this;
    }
    // Every operation of the engine on it throws (tests of failures).
    MemoryElement &setFailing(bool failing)
    {
        m_failing = failing;
        return *this;
    }

    bool isInput() const override { return m_tag == QLatin1String("input"); }
    bool isTextArea() const override { return m_tag == QLatin1String("textarea"); }
    QString type() const override;
    QString name() const override;
    QString value() const override;
    void setValue(const QString &value) override;
    void setChecked(bool checked) override;
    QString altText() const override;
    QString valueText() const override;
    void click() override;

private:
    friend class MemoryDocument;
    void check() const;
    MemoryDocument *m_doc = nullptr;
    int m_index = 0;
    QString m_tag;
    QString m_type;
    QString m_name;
    QString m_value;
    QString m_alt;
    bool m_checked = false;
    int m_form = -1;
    bool m_failing = false;
};

struct JournalEntry {
    enum Kind { Value, Checked, Click };
    int element;
    Kind kind;
    QString value;
    bool checked = false;
};

class MemoryDocument : public Document {
public:
    MemoryDocument();
    ~MemoryDocument() override;

    // Building.
    MemoryElement &addElement(const QString &tag);
    MemoryElement &addInput(const QString &type, const QString &name, const QString &value = QString());
    MemoryElement &addTextArea(const QString &name, const QString &value = QString());
    MemoryDocument &addFrame();     // a frame with an HTML document
    void addRefusedFrame();         // the engine refuses its document
    void addFrameWithoutDocument(); // a frame with no HTML document
    void setBodyText(const QString &text)
    {
        m_bodyLength = int(text.size());
        m_hasBody = true;
    }
    // Only the length of the text is kept; a negative length counts as none.
    void setBodyTextLength(int n)
    {
        m_bodyLength = n < 0 ? 0 : n;
        m_hasBody = true;
    }
    void setNoBody() { m_hasBody = false; }
    void setNotHtml() { m_isHtml = false; }

    // Reading back.
    MemoryElement &at(int index) { return *m_elements[size_t(index)]; }
    const std::vector<JournalEntry> &journal() const { return m_journal; }
    void clearJournal() { m_journal.clear(); }
    int routinesFinished() const { return m_routinesFinished; }

    // Document.
    bool isHtml() const override { return m_isHtml; }
    bool hasBody() const override { return m_hasBody; }
    int bodyTextLength() const override { return m_bodyLength; }
    int elementCount() const override { return int(m_elements.size()); }
    Element *element(int index) override;
    int frameCount() const override { return int(m_frames.size()); }
    Document *frameDocument(int index) override;
    void routineFinished() override { ++m_routinesFinished; }

private:
    friend class MemoryElement;
    void record(const MemoryElement &e, JournalEntry::Kind kind, const QString &value = QString(),
                bool checked = false);
    void clearRadioGroup(const MemoryElement &except);

    struct Frame {
        enum Kind { Html, Refused, NoDocument } kind;
        std::unique_ptr<MemoryDocument> doc;
    };
    std::vector<std::unique_ptr<MemoryElement>> m_elements;
    std::vector<Frame> m_frames;
    std::vector<JournalEntry> m_journal;
    // The radio buttons by name, for clearing groups; made when first needed.
    std::unique_ptr<QHash<QString, std::vector<MemoryElement *>>> m_radiosByName;
    int m_bodyLength = 0;
    bool m_hasBody = true;
    bool m_isHtml = true;
    int m_routinesFinished = 0;
};

} // namespace engine
