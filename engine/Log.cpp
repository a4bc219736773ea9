#include "engine/Log.h"

#include "engine/DataFolders.h"
#include "platform/crt.h"

namespace {
// Never destroyed: objects that log from their destructors may outlive every static
// of this file (an exit() from inside a library ends the program that way).
std::string& g_logPath = *new std::string;
}

void SetLogFile(const char* name)
{
    g_logPath = GetUserDataFolder() + (name ? name : "");
}

std::string GetLogPath()
{
    return g_logPath;
}

void ResetLog()
{
    if (g_logPath.empty())
        return;
    if (FILE* f = crt::fopen(g_logPath.c_str(), "w"))
        std::fclose(f);
}

void LogText(const char* text)
{
    if (g_logPath.empty())
        return;
    if (FILE* f = crt::fopen(g_logPath.c_str(), "a"))
    {
        std::fprintf(f, " %s", text ? text : "(null)");
        std::fclose(f);
    }
}

void LogInt(int32_t value)
{
    if (g_logPath.empty())
        return;
    if (FILE* f = crt::fopen(g_logPath.c_str(), "a"))
    {
        std::fprintf(f, " %d ", int(value));
        std::fclose(f);
    }
}
