#pragma once
// The document operations the submission engine uses. Any operation that
// fails throws base::Error; a view that is merely absent is not an error.
#include <QString>

namespace engine {

class Element {
public:
    virtual ~Element() = default;
    virtual bool isInput() const = 0;    // has the input-element view
    virtual bool isTextArea() const = 0; // has the text-area view
    virtual QString type() const = 0;    // input type as the engine reports it
    virtual QString name() const = 0;
    virtual QString value() const = 0;
    virtual void setValue(const QString &value) = 0;
    virtual void setChecked(bool checked) = 0;
    // Late-bound property reads and the late-bound click of buttons.
    virtual QString altText() const = 0;
    virtual QString valueText() const = 0;
    virtual void click() = 0;
};

class Document {
public:
    virtual ~Document() = default;
    virtual bool isHtml() const = 0;
    virtual bool hasBody() const = 0;
    // Length of the body's rendered text, in UTF-16 code units.
    virtual int bodyTextLength() const = 0;
    virtual int elementCount() const = 0;
    virtual Element *element(int index) = 0;
    virtual int frameCount() const = 0;
    // The HTML document of frame i, or nullptr when the frame has no window
    // or no HTML document. Throws when the engine refuses the frame.
    virtual Document *frameDocument(int index) = 0;
    // Called after a routine ran on this document (also when it failed), so
    // that an implementation can apply what the routine wrote.
    virtual void routineFinished() { }
};

// The browser control as the dispatcher sees it.
class Browser {
public:
    virtual ~Browser() = default;
    // The current document, or nullptr. May throw.
    virtual Document *document() = 0;
};

} // namespace engine
