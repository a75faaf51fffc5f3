// Where the writers put their text: piece by piece, so that a report of any size is written as
// it is produced instead of being held whole.
#pragma once

#include <QString>
#include <QStringView>

namespace varo::report
{

class TextOut
{
public:
    virtual ~TextOut() = default;
    virtual void write(QStringView text) = 0;
};

// Collects the text, for pieces that are small by nature and for tests.
class StringOut final : public TextOut
{
public:
    void write(QStringView text) override { m_text += text; }
    QString text() const { return m_text; }

private:
    QString m_text;
};

} // namespace varo::report
