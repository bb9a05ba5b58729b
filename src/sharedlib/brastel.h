#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace Brastel {
// Creation by programmatic identifier: "Brastel.clsCommonDB" or "Brastel.clsCommonGen".
// Raises error 429 for any other name.
std::unique_ptr<QObject> CreateObject(const QString& progId);

template <class T> std::unique_ptr<T> Create(const QString& progId) {
    std::unique_ptr<QObject> object = CreateObject(progId);
    T* typed = qobject_cast<T*>(object.get());
    if (!typed)
        return nullptr;
    object.release();
    return std::unique_ptr<T>(typed);
}
} // namespace Brastel
