// The subcommands of mgtool. Each returns the exit status; the library's message texts and
// ToolErrors for a file are reported as "mgtool: FILE: message" on standard error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Scene.h"

namespace mgtool {

struct RenderOptions {
    std::string input;
    std::string output;
    DrawOptions draw;
};

struct ViewOptions {
    std::string input;
    DrawOptions draw;
    bool click = false; // pick at (clickX, clickY) after the first frame, print it and exit
    int clickX = 0;
    int clickY = 0;
};

enum class OutputFormat { Scb, Stl, Obj, Ply };

struct ConvertOptions {
    std::string input;
    std::string output; // "-" is standard output
    OutputFormat format = OutputFormat::Scb;
    enum Encoding { Ascii, Binary } encoding = Ascii; // for STL and PLY
    std::string name;                                 // the SCB name; the model's when empty
    float tolerance = 0.01f;                          // STL input's merge tolerance
};

/// What mgtool repair does, in this order, before it writes like convert.
struct RepairOptions {
    ConvertOptions convert;
    bool merge = false;
    float mergeTolerance = 0;
    bool dropDegenerate = false;
    bool orient = false;
};

/// Writes `object` to options.output in options.format, through a temporary file that
/// replaces the output only once the write succeeded; `name` is the SCB name unless
/// options.name is set. Throws a ToolError or the library's message text.
void SaveModel(const MgObject& object, const ConvertOptions& options, const std::string& name);

/// The format an output path names by its extension; standard output ("-") and devices or
/// pipes without one take SCB. Throws a UsageError for any other extension.
OutputFormat OutputFormatOf(const std::string& path);

int RunInfo(const std::vector<std::string>& files, bool json, bool time, float tolerance);
int RunConvert(const ConvertOptions& options);
int RunRepair(const RepairOptions& options);
int RunRender(const RenderOptions& options);
int RunView(const ViewOptions& options);

/// The keys of view's window, one per line, as --help and the window's start show them.
extern const char kViewKeys[];

/// "mgtool: FILE: warning: no face with id N to highlight" on standard error.
void WarnNoFace(const std::string& file, std::intptr_t id);

/// Prints "mgtool: FILE: message" on standard error and returns the failure status.
int ReportFailure(const std::string& file, const std::string& message);

} // namespace mgtool
