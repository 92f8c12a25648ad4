#pragma once
// What the submission engine needs of the software record: a field's text by
// name, looked up without regard to case. A missing field throws base::Error.
#include <QString>

namespace engine {

class Record {
public:
    virtual ~Record() = default;
    virtual QString fieldText(const QString &name) const = 0;
};

} // namespace engine
