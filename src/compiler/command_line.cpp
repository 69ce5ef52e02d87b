#include "src/compiler/command_line.h"

#include <cstdio>

namespace tovrin::makesis {
namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool endsWith(const std::string& name, const char* extension) {
    const std::string ext(extension);
    if (name.size() <= ext.size()) return false;
    for (size_t i = 0; i < ext.size(); ++i) {
        if (lower(name[name.size() - ext.size() + i]) != ext[i]) return false;
    }
    return true;
}

}  // namespace

bool parseUtcTime(const std::string& text, long long* seconds) {
    int year, month, day, hour, minute, second;
    char tail;
    if (text.size() != 19 || std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &year,
                                         &month, &day, &hour, &minute, &second, &tail) != 6) {
        return false;
    }
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':') {
        return false;
    }
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > kDays[month - 1] + (month == 2 && leap) || hour > 23 || minute > 59 ||
        second > 59) {
        return false;
    }
    // Days from the civil date (proleptic Gregorian), so no time zone is involved.
    const int y = year - (month <= 2);
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = era * 146097LL + doe - 719468;
    *seconds = days * 86400 + hour * 3600 + minute * 60 + second;
    return true;
}

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string* err) {
    line = CommandLine{};
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // The long forms every command-line tool answers.
        if (arg == "--help" || arg == "--version") {
            (arg == "--help" ? line.help : line.version) = true;
            continue;
        }
        if (arg == "--temp-folder") {
            if (i + 1 >= args.size()) {
                *err = "--temp-folder needs a prefix";
                return false;
            }
            line.tempFolder = args[++i];
            continue;
        }
        if (arg == "--format" || arg.rfind("--format=", 0) == 0) {
            const bool joined = arg != "--format";
            std::string value = joined ? arg.substr(9) : std::string();
            if (!joined) {
                if (i + 1 >= args.size()) {
                    *err = "--format needs er5, er6 or sis9";
                    return false;
                }
                value = args[++i];
            }
            for (char& c : value) c = lower(c);
            if (value != "er5" && value != "er6" && value != "sis9") {
                *err = "unknown package format '" + value + "': --format takes er5, er6 or sis9";
                return false;
            }
            line.er5 = value == "er5";
            line.sis9 = value == "sis9";
            line.formatGiven = true;
            continue;
        }
        if (arg == "--time") {
            if (i + 1 >= args.size() || !parseUtcTime(args[i + 1], &line.time)) {
                *err = "--time needs a UTC time as YYYY-MM-DDTHH:MM:SS";
                return false;
            }
            ++i;
            continue;
        }
        if (arg == "--unsigned") {
            line.allowUnsigned = true;
            continue;
        }
        if (arg == "--no-system-mark") {
            line.noSystemMark = true;
            continue;
        }
        if (arg == "--root" || arg == "--drive") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                *err = arg == "--root" ? "--root needs a folder" : "--drive needs X=folder";
                return false;
            }
            const std::string& value = args[++i];
            if (arg == "--root") {
                line.rootFolder = value;
                continue;
            }
            const char letter = lower(value[0]);
            if (letter < 'a' || letter > 'z' || value.size() < 3 || value[1] != '=') {
                *err = "--drive needs a drive letter, = and a folder: " + value;
                return false;
            }
            if (!line.driveFolders.emplace(letter, value.substr(2)).second) {
                *err = std::string("--drive names the drive ") + value[0] + " twice";
                return false;
            }
            continue;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            files.push_back(arg);
            continue;
        }
        const char flag = lower(arg[1]);
        if ((flag == 'h' || flag == 'v' || flag == 's') && arg.size() == 2) {
            (flag == 'h' ? line.help : flag == 'v' ? line.verbose : line.stub) = true;
        } else if (flag == 'd' || flag == 'p') {
            std::string value = arg.substr(2);
            if (value.empty()) {
                if (i + 1 >= args.size()) {
                    *err = flag == 'd' ? "-d needs a folder" : "-p needs a password";
                    return false;
                }
                value = args[++i];
            }
            // The password would unlock a signing key; packages are never signed, so it is
            // accepted and not used.
            if (flag == 'd') line.searchFolder = value;
        } else {
            *err = "unknown flag " + arg;
            return false;
        }
    }
    if (line.help || line.version) return true;
    if (files.empty()) {
        *err = "no source file specified";
        return false;
    }
    if (files.size() > 2) {
        *err = "too many arguments: " + files[2];
        return false;
    }
    line.script = files[0];
    if (!endsWith(line.script, ".pkg")) {
        *err = "invalid source file " + line.script + ": the script name must end in .pkg";
        return false;
    }
    if (files.size() == 2) {
        line.output = files[1];
        if (!endsWith(line.output, ".sis")) {
            *err =
                "invalid destination file " + line.output + ": the package name must end in .sis";
            return false;
        }
    } else {
        line.output = line.script.substr(0, line.script.size() - 4) + ".sis";
    }
    return true;
}

}  // namespace tovrin::makesis
