#include "cardpack/registry.h"

#include <QHash>
#include <mutex>

namespace Registry
{
namespace
{

struct Table {
    std::mutex lock;
    QHash<QString, Factory> factories;
    QStringList order;
};

Table &table()
{
    static Table t;
    return t;
}

template <class T> std::unique_ptr<T> createAs(const QString &name)
{
    std::unique_ptr<TPersistent> object = Create(name);
    if (auto *typed = dynamic_cast<T *>(object.get())) {
        object.release();
        return std::unique_ptr<T>(typed);
    }
    return nullptr;
}

} // namespace

void RegisterClass(const QString &name, Factory factory)
{
    std::lock_guard guard(table().lock);
    if (!table().factories.contains(name))
        table().order.append(name);
    table().factories.insert(name, factory);
}

void UnregisterClass(const QString &name)
{
    std::lock_guard guard(table().lock);
    table().factories.remove(name);
    table().order.removeAll(name);
}

bool IsRegistered(const QString &name)
{
    std::lock_guard guard(table().lock);
    return table().factories.contains(name);
}

QStringList RegisteredClasses()
{
    std::lock_guard guard(table().lock);
    return table().order;
}

std::unique_ptr<TPersistent> Create(const QString &name)
{
    Factory factory = nullptr;
    {
        std::lock_guard guard(table().lock);
        factory = table().factories.value(name, nullptr);
    }
    return factory ? factory() : nullptr;
}

std::unique_ptr<TCardOld> CreateCard(const QString &name)
{
    return createAs<TCardOld>(name);
}

std::unique_ptr<TZoznam> CreateBoardList(const QString &name)
{
    return createAs<TZoznam>(name);
}

} // namespace Registry
