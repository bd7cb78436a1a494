#include "windows/helpchm.h"

#include "platform/htmlhelp.h"

const QList<THelpTopic> &HelpTopics()
{
    static const QList<THelpTopic> topics = {
        {"INDEX", 1},   {"UVOD", 2},       {"NOVA", 3},      {"SYSTEM", 4},  {"PROJEKT", 5},
        {"NASTAV", 6},  {"ACF", 7},        {"UNI", 8},       {"OKNO", 9},    {"MENU", 10},
        {"KONFIG", 11}, {"LINKA", 12},     {"VLASTNOSTI", 13}, {"PRESUVAT", 14}, {"DETAIL", 15},
        {"PRIKLADY", 16}, {"MB5", 17},     {"DRAH", 18},     {"DORST", 19},  {"SK5", 20},
        {"SK5_SIG", 21},
    };
    return topics;
}

int HelpTopicId(const QString &Name)
{
    for (const THelpTopic &t : HelpTopics())
        if (Name.compare(QLatin1String(t.Name), Qt::CaseInsensitive) == 0)
            return t.Number;
    return 0;
}

QString HelpTopicPage(int Number)
{
    for (const THelpTopic &t : HelpTopics())
        if (t.Number == Number)
            return QString::fromLatin1(t.Name).toLower() + QStringLiteral(".html");
    return QString();
}

THelpRequest BoardHelpRequest(const QString &CardName)
{
    const int id = HelpTopicId(CardName.mid(1));
    if (id != 0)
        return {platform::HH_HELP_CONTEXT, std::uintptr_t(id)};
    return {platform::HH_DISPLAY_TOC, 0};
}

bool TranslateHelpCommand(unsigned Command, std::intptr_t Data, THelpRequest &Request)
{
    switch (Command) {
    case HELP_CONTEXT:
        Request = {platform::HH_HELP_CONTEXT, std::uintptr_t(Data)};
        return true;
    case HELP_QUIT:
        Request = {platform::HH_CLOSE_ALL, 0};
        return true;
    case HELP_CONTENTS:
    case HELP_FINDER:
        Request = {platform::HH_DISPLAY_TOC, 0};
        return true;
    default:
        return false;
    }
}
