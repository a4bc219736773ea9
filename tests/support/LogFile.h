// The game's log as the tests read it: the text of the file the log goes to, and the
// log sent to a file of the test's own for as long as an object lives.
#pragma once

#include <cstdio>
#include <string>

#include "engine/Log.h"
#include "platform/crt.h"

namespace test_support {

// The whole text of the file the log goes to now, as it lies on disk (line ends as
// written); empty when the file is missing.
inline std::string ReadLogFile()
{
    std::string text;
    if (FILE* f = crt::fopen(GetLogPath().c_str(), "rb"))
    {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

// Sends the log to `path`, emptied, until the object goes; no log file after that.
class LogToFile
{
public:
    explicit LogToFile(const std::string& path) : logPath(path)
    {
        SetLogFile(logPath.c_str());
        ResetLog();
    }
    ~LogToFile() { SetLogFile(""); }

    LogToFile(const LogToFile&) = delete;
    LogToFile& operator=(const LogToFile&) = delete;

    std::string Log() const { return ReadLogFile(); }

    const std::string logPath;
};

} // namespace test_support
