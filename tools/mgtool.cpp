// mgtool: loads, reports on, converts and draws the models that the mgmesh library reads.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Commands.h"
#include "Errors.h"
#include "Help.h"
#include "Platform.h"

namespace mgtool {
namespace {

// The command line after the subcommand: options (with their values) and the other words.
class Arguments {
public:
    Arguments(int argc, char** argv) : m_words(argv + 2, argv + argc) {}

    bool Done() const { return m_next >= m_words.size() && !m_pending; }
    // The next word; options are recognised only before a "--". "--option=value" gives the
    // option, and its value to the next Value().
    std::string Next() {
        if (m_pending)
            throw UsageError("option " + m_option + " takes no value");
        std::string word = m_words[m_next++];
        const std::size_t equals = word.find('=');
        if (!m_noMoreOptions && word.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            m_value = word.substr(equals + 1);
            m_pending = true;
            word.resize(equals);
            m_option = word;
        }
        return word;
    }
    bool IsOption(const std::string& word) {
        if (m_noMoreOptions || word.size() < 2 || word[0] != '-')
            return false;
        if (word == "--") {
            m_noMoreOptions = true;
            return false;
        }
        return true;
    }
    std::string Value(const std::string& option) {
        if (m_pending) {
            m_pending = false;
            return m_value;
        }
        if (Done())
            throw UsageError("option " + option + " needs a value");
        return Next();
    }

private:
    std::vector<std::string> m_words;
    std::size_t m_next = 0;
    bool m_noMoreOptions = false;
    bool m_pending = false; // the value of an "--option=value" not yet taken
    std::string m_option, m_value;
};

long ParseInteger(const std::string& text, const std::string& what) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0)
        throw UsageError(what + " must be an integer, not \"" + text + "\"");
    return value;
}

// "AxB" or "A,B" into two integers.
void ParsePair(const std::string& text, char separator, const std::string& what, long& a, long& b) {
    const std::size_t at = text.find(separator);
    if (at == std::string::npos)
        throw UsageError(what + " must look like A" + separator + "B, not \"" + text + "\"");
    a = ParseInteger(text.substr(0, at), what);
    b = ParseInteger(text.substr(at + 1), what);
}

void ParseSize(const std::string& text, DrawOptions& draw) {
    long width = 0, height = 0;
    ParsePair(text, 'x', "--size", width, height);
    if (width < 1 || height < 1 || width > 8192 || height > 8192)
        throw UsageError("--size must be between 1x1 and 8192x8192");
    draw.width = static_cast<int>(width);
    draw.height = static_cast<int>(height);
}

void ParseColor(const std::string& text, DrawOptions& draw) {
    float rgb[3];
    const char* p = text.c_str();
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        rgb[i] = std::strtof(p, &end);
        if (end == p || !(rgb[i] >= 0 && rgb[i] <= 1) || *end != (i < 2 ? ',' : '\0'))
            throw UsageError("--color must be three numbers from 0 to 1, like 0.8,0.5,0.2");
        p = end + 1;
    }
    draw.color = true;
    std::memcpy(draw.rgb, rgb, sizeof rgb);
}

ViewDir ParseView(const std::string& text) {
    if (text == "iso")
        return ViewDir::Iso;
    if (text == "top")
        return ViewDir::Top;
    if (text == "front")
        return ViewDir::Front;
    if (text == "side")
        return ViewDir::Side;
    throw UsageError("--view must be iso, top, front or side");
}

// The options render and view share; false when `option` is none of them.
bool ParseDrawOption(const std::string& option, Arguments& args, DrawOptions& draw) {
    if (option == "--size")
        ParseSize(args.Value(option), draw);
    else if (option == "--view")
        draw.view = ParseView(args.Value(option));
    else if (option == "--edges")
        draw.edges = true;
    else if (option == "--wire")
        draw.wire = true;
    else if (option == "--loops")
        draw.loops = true;
    else if (option == "--crease") {
        const std::string text = args.Value(option);
        char* end = nullptr;
        draw.crease = std::strtof(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !(draw.crease >= 0 && draw.crease <= 180))
            throw UsageError("--crease must be an angle from 0 to 180 degrees, not \"" + text +
                             "\"");
    } else if (option == "--no-fill")
        draw.fill = false;
    else if (option == "--highlight") {
        draw.highlight = true;
        draw.highlightId = ParseInteger(args.Value(option), "--highlight");
    } else if (option == "--color")
        ParseColor(args.Value(option), draw);
    else
        return false;
    return true;
}

// The words of a command that are not options, at most `most` of them; each option goes to
// `option`, which returns false for one the command does not take.
template <class Option>
std::vector<std::string> Words(Arguments& args, std::size_t most, const char* command,
                               Option option) {
    std::vector<std::string> words;
    while (!args.Done()) {
        const std::string word = args.Next();
        if (!args.IsOption(word)) {
            if (words.size() >= most)
                throw UsageError(std::string("too many arguments for ") + command + ": " + word);
            words.push_back(word);
        } else if (!option(word)) {
            throw UsageError("unknown option " + word);
        }
    }
    return words;
}

// The merge tolerance of STL input: a number, zero merging only equal corners.
float ParseTolerance(const std::string& text, const std::string& option = "--tolerance") {
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= 0) || value == HUGE_VALF)
        throw UsageError(option + " must be a number of 0 or more, not \"" + text + "\"");
    return value;
}

int Info(Arguments& args) {
    bool json = false, time = false;
    float tolerance = 0.01f;
    const auto files = Words(args, SIZE_MAX, "info", [&](const std::string& option) {
        if (option == "--json")
            json = true;
        else if (option == "--time")
            time = true;
        else if (option == "--tolerance")
            tolerance = ParseTolerance(args.Value(option));
        else
            return false;
        return true;
    });
    if (files.empty())
        throw UsageError("info needs at least one file");
    return RunInfo(files, json, time, tolerance);
}

// The options convert and repair share, for reading and for writing; false when `option` is
// none of them.
struct WriteFlags {
    bool named = false, encoded = false;
};
bool ParseWriteOption(const std::string& option, Arguments& args, ConvertOptions& options,
                      WriteFlags& flags) {
    if (option == "--name") {
        options.name = args.Value(option);
        flags.named = true;
    } else if (option == "--tolerance") {
        options.tolerance = ParseTolerance(args.Value(option));
    } else if (option == "--binary" || option == "--ascii") {
        options.encoding = option == "--binary" ? ConvertOptions::Binary : ConvertOptions::Ascii;
        flags.encoded = true;
    } else {
        return false;
    }
    return true;
}

// The input and output files of convert or repair, checked against the write options.
void TakeFiles(const std::vector<std::string>& files, const char* command, const WriteFlags& flags,
               ConvertOptions& options) {
    if (files.size() != 2)
        throw UsageError(std::string(command) + " needs an input and an output file");
    options.input = files[0];
    options.output = files[1];
    options.format = OutputFormatOf(options.output);
    if (flags.named &&
        (options.name.empty() || options.name.find_first_of(" \t\r\n\v\f") != std::string::npos))
        throw UsageError("--name must be one word: SCB keeps the name up to its first space");
    if (flags.encoded && options.format != OutputFormat::Stl && options.format != OutputFormat::Ply)
        throw UsageError("--binary and --ascii are for .stl and .ply outputs");
}

int Convert(Arguments& args) {
    ConvertOptions options;
    WriteFlags flags;
    const auto files = Words(args, 2, "convert", [&](const std::string& option) {
        return ParseWriteOption(option, args, options, flags);
    });
    TakeFiles(files, "convert", flags, options);
    return RunConvert(options);
}

int Repair(Arguments& args) {
    RepairOptions options;
    WriteFlags flags;
    const auto files = Words(args, 2, "repair", [&](const std::string& option) {
        if (option == "--orient")
            options.orient = true;
        else if (option == "--drop-degenerate")
            options.dropDegenerate = true;
        else if (option == "--merge") {
            options.merge = true;
            options.mergeTolerance = ParseTolerance(args.Value(option), option);
        } else
            return ParseWriteOption(option, args, options.convert, flags);
        return true;
    });
    TakeFiles(files, "repair", flags, options.convert);
    if (!options.orient && !options.dropDegenerate && !options.merge)
        options.orient = options.dropDegenerate = true;
    return RunRepair(options);
}

int Render(Arguments& args) {
    RenderOptions options;
    const auto files = Words(args, 1, "render", [&](const std::string& option) {
        if (option != "-o" && option != "--output")
            return ParseDrawOption(option, args, options.draw);
        options.output = args.Value(option);
        return true;
    });
    if (files.size() != 1)
        throw UsageError("render needs an input file");
    if (options.output.empty())
        throw UsageError("render needs -o OUT.png");
    options.input = files[0];
    return RunRender(options);
}

int View(Arguments& args) {
    ViewOptions options;
    const auto files = Words(args, 1, "view", [&](const std::string& option) {
        if (option != "--click")
            return ParseDrawOption(option, args, options.draw);
        long x = 0, y = 0;
        ParsePair(args.Value(option), ',', "--click", x, y);
        if (x < 0 || y < 0 || x >= 8192 || y >= 8192)
            throw UsageError("--click must be a pixel inside the window");
        options.click = true;
        options.clickX = static_cast<int>(x);
        options.clickY = static_cast<int>(y);
        return true;
    });
    if (files.size() != 1)
        throw UsageError("view needs an input file");
    if (options.click &&
        (options.clickX >= options.draw.width || options.clickY >= options.draw.height))
        throw UsageError("--click must be a pixel inside the window (see --size)");
    options.input = files[0];
    return RunView(options);
}

} // namespace

void WarnNoFace(const std::string& file, std::intptr_t id) {
    std::fprintf(stderr, "mgtool: %s: warning: no face with id %lld to highlight\n", file.c_str(),
                 static_cast<long long>(id));
}

int ReportFailure(const std::string& file, const std::string& message) {
    std::fprintf(stderr, "mgtool: %s: %s\n", file.c_str(), message.c_str());
    return kExitFailure;
}

} // namespace mgtool

int main(int argc, char** argv) {
    using namespace mgtool;
    platform::PreferHugePages(argv);
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        const char* help = argc > 2 ? CommandHelp(argv[2]) : kUsage;
        if (!help) {
            std::fprintf(stderr, "mgtool: no command %s (see 'mgtool help')\n", argv[2]);
            return kExitUsage;
        }
        std::fputs(help, stdout);
        return kExitOk;
    }
    if (command == "--version" || command == "version") {
        std::printf("%s\n", VersionText().c_str());
        return kExitOk;
    }
    if (!CommandHelp(command)) {
        std::fprintf(stderr, "mgtool: unknown command %s (see 'mgtool help')\n", command.c_str());
        return kExitUsage;
    }
    for (int k = 2; k < argc && std::strcmp(argv[k], "--") != 0; ++k)
        if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
            std::fputs(CommandHelp(command), stdout);
            return kExitOk;
        }
    Arguments args(argc, argv);
    try {
        if (command == "info")
            return Info(args);
        if (command == "convert")
            return Convert(args);
        if (command == "repair")
            return Repair(args);
        if (command == "render")
            return Render(args);
        return View(args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "mgtool: %s (see 'mgtool help %s')\n", error.what(), command.c_str());
        return kExitUsage;
    } catch (const char* message) { // never expected here: every command reports its own
        std::fprintf(stderr, "mgtool: %s\n", message);
        return kExitFailure;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mgtool: %s\n", error.what());
        return kExitFailure;
    }
}
