#include "data/dberror.h"

namespace data {

DbError::DbError(int number, QString source, QString description)
    : std::runtime_error(description.toStdString()), number_(number), source_(std::move(source)),
      description_(std::move(description)) {}

void DbError::setDescription(const QString& description) {
    description_ = description;
    static_cast<std::runtime_error&>(*this) = std::runtime_error(description.toStdString());
}

void DbError::setOrigin(QString operation, QString statement) {
    operation_ = std::move(operation);
    statement_ = std::move(statement);
}

DbError DbError::connectionClosed(const QString& source) {
    return DbError(kErrConnectionClosed, source,
                   QStringLiteral("Operation is not allowed when the object is closed."));
}

} // namespace data
