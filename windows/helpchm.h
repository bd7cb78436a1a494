#pragma once

#include <QList>
#include <QString>
#include <cstdint>

// The help topics: topic names (card type names among them) and the help
// file's context numbers.

struct THelpTopic {
    const char *Name;
    int Number;
};

// Every topic in context-number order.
const QList<THelpTopic> &HelpTopics();

// The context number of a topic name, compared without regard to case; 0 for
// any other name (no trimming: "SK5 " is not "SK5").
int HelpTopicId(const QString &Name);

// The page of a context number in the help folder ("sk5_sig.html"); empty for
// a number without a topic. Context 1 is the contents page.
QString HelpTopicPage(int Number);

// One request to the help library.
struct THelpRequest {
    unsigned Command = 0;
    std::uintptr_t Data = 0;
    bool operator==(const THelpRequest &) const = default;
};

// Help on a board: the card name of its slot without its first character
// ("TUL10" gives UL10) names the topic; a card without a topic gets the
// table of contents.
THelpRequest BoardHelpRequest(const QString &CardName);

// The application's help commands (context, quit, contents, finder).
enum : unsigned { HELP_CONTEXT = 1, HELP_QUIT = 2, HELP_CONTENTS = 3, HELP_FINDER = 11 };

// Translates an application help command into a help-library request: context
// shows that context number, quit closes all help windows, contents and
// finder show the table of contents. False for any other command (it is still
// reported handled, nothing is shown).
bool TranslateHelpCommand(unsigned Command, std::intptr_t Data, THelpRequest &Request);
