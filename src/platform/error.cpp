#include "error.h"

#include "errornumbers.h"

namespace varo
{

Error::Error(int number, QString description)
    : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8())
{
}

Error::~Error() = default;

Error toError(const std::exception &e)
{
    if (auto error = dynamic_cast<const Error *>(&e))
        return *error;
    return Error(ErrorNumber::Unexpected, QString::fromLocal8Bit(e.what()));
}

} // namespace varo
