// mgtool convert: reads a model in any format and saves it as SCB.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "Commands.h"
#include "Errors.h"
#include "Progress.h"

namespace mgtool {
namespace {

// The SCB writer steps once per vertex, facet and edge line.
long SaveSteps(const MgObject& object) {
    return long(object.NumVertices()) + object.NumFacets() + object.NumEdges();
}

} // namespace

int RunConvert(const std::string& input, const std::string& output, const std::string& name) {
    std::unique_ptr<Model> model;
    try {
        model = LoadModel(input, true);
    } catch (const char* message) {
        return ReportFailure(input, message);
    } catch (const std::exception& error) {
        return ReportFailure(input, error.what());
    }
    std::string title = name.empty() ? model->name : name;
    // SCB reads the name back as one word
    for (char& c : title)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f')
            c = '_';
    if (title.empty())
        title = "NoName";
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out)
        return ReportFailure(output, std::string("cannot write (") + std::strerror(errno) + ")");
    try {
        ProgressBar bar("saving " + output, SaveSteps(*model->Whole()));
        model->Whole()->SaveSCB(out, title, bar.Receiver());
    } catch (const char* message) {
        out.close();
        std::remove(output.c_str()); // no half-written model is left behind
        return ReportFailure(output, message);
    }
    out.close();
    if (!out) {
        std::remove(output.c_str());
        return ReportFailure(output, "cannot write (the disk may be full)");
    }
    return kExitOk;
}

} // namespace mgtool
