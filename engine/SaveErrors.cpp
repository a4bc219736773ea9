#include "engine/SaveErrors.h"

#include <algorithm>
#include <set>

#include "engine/Log.h"
#include "platform/win32.h"

namespace {

std::set<std::string> g_reported;
int g_failures = 0;

const char kCaption[] = "Error!";
const char kText[] =
    "Your progress could not be saved to\n%s\n\n"
    "The disk may be full or the folder may not be writable. The game goes on and "
    "tries again at the next save.";

}  // namespace

bool CheckSaved(bool saved, const std::string& path)
{
    if (saved)
    {
        g_reported.erase(path);
        return true;
    }
    ++g_failures;
    LogText("Error. The file was not saved:");
    LogText(path.c_str());
    LogText("\n");
    if (g_reported.insert(path).second)
    {
        // The path goes in as a value, never read as a format, spelt as the system
        // names it: the game's own "\" separators become "/".
        std::string shown = path;
        std::replace(shown.begin(), shown.end(), '\\', '/');
        std::string text = kText;
        text.replace(text.find("%s"), 2, shown);
        MessageBoxA(nullptr, text.c_str(), kCaption, MB_ICONEXCLAMATION);
    }
    return false;
}

int SaveFailureCount() { return g_failures; }

void ResetSaveFailures()
{
    g_reported.clear();
    g_failures = 0;
}
