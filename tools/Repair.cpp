// mgtool repair: merges close vertices, drops degenerate facets and orients shells, then
// writes the model like convert and says what changed.
#include <cstdio>
#include <memory>
#include <string>

#include "Commands.h"
#include "Errors.h"

namespace mgtool {

int RunRepair(const RepairOptions& options) {
    const ConvertOptions& convert = options.convert;
    std::unique_ptr<Model> model;
    try {
        model = LoadModel(convert.input, true, convert.tolerance);
    } catch (const char* message) {
        return ReportFailure(convert.input, message);
    } catch (const std::exception& error) {
        return ReportFailure(convert.input, error.what());
    }
    MgObject& object = *model->Whole();
    std::printf("%s: %s\n", convert.input.c_str(), mgmesh::ReportMesh(object).Describe().c_str());
    try {
        if (options.merge)
            std::printf("  merge within %g: %s\n", double(options.mergeTolerance),
                        mgmesh::MergeVertices(object, options.mergeTolerance).Describe().c_str());
        if (options.dropDegenerate)
            std::printf("  drop degenerate facets: %s\n",
                        mgmesh::DropDegenerateFacets(object).Describe().c_str());
        if (options.orient)
            std::printf("  orient shells: %s\n", mgmesh::OrientShells(object).Describe().c_str());
    } catch (const char* message) {
        return ReportFailure(convert.input, message);
    }
    std::printf("%s: %s\n", convert.output.c_str(), mgmesh::ReportMesh(object).Describe().c_str());
    std::fflush(stdout);
    try {
        SaveModel(object, convert, model->name);
    } catch (const char* message) {
        return ReportFailure(convert.output, message);
    } catch (const std::exception& error) {
        return ReportFailure(convert.output, error.what());
    }
    return kExitOk;
}

} // namespace mgtool
