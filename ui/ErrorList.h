// ErrorList: the message list of every object that loads resources (the game
// object, the loaders, the device wrapper). A failing loader appends its
// message and returns failure; the top level shows the last message.
#pragma once

#include <string>
#include <vector>

class ErrorList
{
public:
    void Add(const std::string& message) { messages.push_back(message); }
    bool Empty() const { return messages.empty(); }
    // The newest message, or the given text when there is none.
    std::string Last(const std::string& fallback) const
    {
        return messages.empty() ? fallback : messages.back();
    }

    std::vector<std::string> messages;
};
