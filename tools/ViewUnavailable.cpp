// mgtool view where freeglut is not available (the mingw-w64 cross build): the model is loaded
// and checked as for the window, which is then refused.
#include <memory>

#include "Commands.h"
#include "Errors.h"
#include "Load.h"

namespace mgtool {

int RunView(const ViewOptions& options) {
    std::unique_ptr<Model> model;
    try {
        model = LoadModel(options.input, true);
    } catch (const char* message) {
        return ReportFailure(options.input, message);
    } catch (const std::exception& error) {
        return ReportFailure(options.input, error.what());
    }
    return ReportFailure(options.input, "this build of mgtool has no window system for view "
                                        "(it needs freeglut); render draws into a PNG");
}

} // namespace mgtool
