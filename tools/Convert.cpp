// mgtool convert: reads a model in any format and writes it in the format its output names.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "Commands.h"
#include "Errors.h"
#include "Output.h"
#include "Progress.h"

namespace mgtool {
namespace {

// The SCB writer steps once per vertex, facet and edge line.
long SaveSteps(const MgObject& object) {
    return long(object.NumVertices()) + object.NumFacets() + object.NumEdges();
}

// SCB reads the name back as one word.
std::string OneWord(const std::string& name) {
    std::string title = name;
    for (char& c : title)
        if (std::isspace(static_cast<unsigned char>(c)))
            c = '_';
    return title.empty() ? "NoName" : title;
}

void Write(const MgObject& object, const ConvertOptions& options, const std::string& title,
           std::ostream& out) {
    const bool binary = options.encoding == ConvertOptions::Binary;
    switch (options.format) {
    case OutputFormat::Scb: {
        ProgressBar bar("saving " + options.output, SaveSteps(object));
        object.SaveSCB(out, title, bar.Receiver());
        break;
    }
    case OutputFormat::Stl:
        object.SaveSTL(out, binary);
        break;
    case OutputFormat::Obj:
        object.SaveOBJ(out);
        break;
    case OutputFormat::Ply:
        object.SavePLY(out, binary);
        break;
    }
}

} // namespace

OutputFormat OutputFormatOf(const std::string& path) {
    const std::size_t dot = path.find_last_of("./");
    std::string ext = dot == std::string::npos || path[dot] == '/' ? "" : path.substr(dot + 1);
    struct stat info;
    const bool stream = path == "-" || (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) &&
                                        !S_ISDIR(info.st_mode));
    if (ext.empty() && stream)
        return OutputFormat::Scb;
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "scb")
        return OutputFormat::Scb;
    if (ext == "stl")
        return OutputFormat::Stl;
    if (ext == "obj")
        return OutputFormat::Obj;
    if (ext == "ply")
        return OutputFormat::Ply;
    throw UsageError("convert writes .scb, .stl, .obj or .ply, not \"" + path + "\"");
}

namespace {

// Runs `write` on a stream into a temporary file that replaces the output once complete.
template <class Writer> void WriteOutput(const std::string& output, Writer write) {
    OutputFile file(output);
    std::ofstream out(file.WritePath(), std::ios::binary | std::ios::trunc);
    if (!out)
        throw ToolError("cannot write");
    write(out);
    out.close();
    if (!out)
        throw ToolError("cannot write (the disk may be full)");
    file.Commit();
}

void SaveParts(const CMgMultiObject& multi, const ConvertOptions& options,
               const std::string& name) {
    WriteOutput(options.output, [&](std::ostream& out) {
        multi.SaveSCB(out, OneWord(options.name.empty() ? name : options.name));
    });
}

} // namespace

void SaveModel(const MgObject& object, const ConvertOptions& options, const std::string& name) {
    WriteOutput(options.output, [&](std::ostream& out) {
        Write(object, options, OneWord(options.name.empty() ? name : options.name), out);
    });
}

int RunConvert(const ConvertOptions& options) {
    std::unique_ptr<Model> model;
    try {
        model = LoadModel(options.input, true, options.tolerance);
    } catch (const char* message) {
        return ReportFailure(options.input, message);
    } catch (const std::exception& error) {
        return ReportFailure(options.input, error.what());
    }
    // SCB keeps the parts as scb2; OBJ keeps each face as a group; the others hold one object
    const bool parts = model->multi && !model->multi->ProcessedList().empty();
    if (parts && (options.format == OutputFormat::Stl || options.format == OutputFormat::Ply))
        std::fprintf(stderr, "mgtool: %s: warning: the parts are written as one object\n",
                     options.output.c_str());
    try {
        if (parts && options.format == OutputFormat::Scb)
            SaveParts(*model->multi, options, model->name);
        else
            SaveModel(*model->Whole(), options, model->name);
    } catch (const char* message) {
        return ReportFailure(options.output, message);
    } catch (const std::exception& error) {
        return ReportFailure(options.output, error.what());
    }
    return kExitOk;
}

} // namespace mgtool
