#pragma once
// Values out of a PAD file's text. The extraction is a text search for
// <Name> and </Name>, not an XML parser, so that files which are not quite
// XML (unescaped "&", stray tags, a second root) still give their values:
//
// - The value of a name is the text between its first opening tag "<Name>"
//   and its first closing tag "</Name>", tags written exactly so; empty when
//   the closing tag does not come after the opening one. When the file lacks
//   either tag in exactly that letter case, the tags in any letter case are
//   used.
// - Within that text, in one left-to-right pass, CDATA sections are unwrapped
//   and character references decoded: &amp; &lt; &gt; &quot; &apos; in any
//   letter case, and decimal and hexadecimal ones (&#252; &#xFC;). What a
//   reference gives is not looked at again, so "&amp;lt;" gives "&lt;". A
//   reference to no character (&#0;, a surrogate, beyond U+10FFFF) gives
//   U+FFFD; anything else starting with "&" stays as it is.
// - Spaces, tabs and line breaks are trimmed at both ends; those written as
//   character references stay. Line breaks inside the value stay.
// - Keywords and Char_Desc_* come from one language's block of
//   <Program_Descriptions> (<English>, <French>, ...): the chosen one, else
//   <English> when the file has it; one the block lacks is looked for outside
//   <Program_Descriptions>. Without such blocks every name is looked for in
//   the whole text.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace software {

// The value text of raw element content: CDATA unwrapped, references
// decoded, the ends trimmed.
QString decodePadValue(QStringView raw);

// The value of the element tag in padText (rules above, without the language
// blocks).
QString getvaluefromxml(const QString &padText, const QString &tag);

// Whether padText has an element tag (its opening and closing tags, in any
// letter case), empty or not.
bool hasPadElement(const QString &padText, const QString &tag);
// Whether it has an element of any of the names.
bool hasAnyPadElement(const QString &padText, const QStringList &tags);

// The language blocks of <Program_Descriptions>, in file order but English
// first; empty when there are none.
QStringList padLanguages(const QString &padText);

// Whether a field's value comes from a language block.
bool isDescriptionField(const QString &name);

// The values of the named fields in padText, in the order given, the
// descriptions from the block of language (any letter case; empty: English
// when there is such a block).
QStringList padValues(const QString &padText, const QStringList &names, const QString &language = QString());

} // namespace software
