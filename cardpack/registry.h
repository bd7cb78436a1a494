#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "cardpack/sablona.h"

// The class registry by name: the package registers its classes when it is
// loaded, the program creates objects by class name.
namespace Registry
{

using Factory = std::unique_ptr<TPersistent> (*)();

void RegisterClass(const QString &name, Factory factory);
void UnregisterClass(const QString &name);
bool IsRegistered(const QString &name);
QStringList RegisteredClasses();

// An object of the class registered under exactly this name, or null.
std::unique_ptr<TPersistent> Create(const QString &name);

// Only a TCardOld descendant; anything else is freed and null returned.
std::unique_ptr<TCardOld> CreateCard(const QString &name);

// Only a TZoznam descendant; anything else is freed and null returned.
std::unique_ptr<TZoznam> CreateBoardList(const QString &name);

} // namespace Registry
