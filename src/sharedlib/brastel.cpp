#include "sharedlib/brastel.h"

#include "data/dberror.h"
#include "sharedlib/clscommondb.h"
#include "sharedlib/clscommongen.h"

namespace Brastel {

std::unique_ptr<QObject> CreateObject(const QString& progId) {
    if (progId.compare(QLatin1String("Brastel.clsCommonDB"), Qt::CaseInsensitive) == 0)
        return std::make_unique<clsCommonDB>();
    if (progId.compare(QLatin1String("Brastel.clsCommonGen"), Qt::CaseInsensitive) == 0)
        return std::make_unique<clsCommonGen>();
    throw data::DbError(data::kErrCannotCreateObject, progId,
                        QStringLiteral("ActiveX component can't create object"));
}

} // namespace Brastel
