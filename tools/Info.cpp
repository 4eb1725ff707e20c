// mgtool info: a report on each model, as text or as one JSON document.
#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "Errors.h"
#include "Report.h"

namespace mgtool {

int RunInfo(const std::vector<std::string>& files, bool json, bool time, float tolerance) {
    int status = kExitOk;
    std::string out = json ? "{\"files\": [" : "";
    for (std::size_t k = 0; k < files.size(); ++k) {
        std::string message;
        try {
            const auto model = LoadModel(files[k], true, tolerance);
            out += json ? (k ? ", " : "") + ReportJson(*model, time) : ReportText(*model, time);
        } catch (const char* text) {
            message = text;
        } catch (const std::exception& error) {
            message = error.what();
        }
        if (!message.empty()) {
            status = ReportFailure(files[k], message);
            if (json)
                out += (k ? ", " : "") + ErrorJson(files[k], message);
        }
        if (!json) { // a long list of files reports as it goes
            std::fputs(out.c_str(), stdout);
            out.clear();
        }
    }
    if (json)
        out += "]}\n";
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    return status;
}

} // namespace mgtool
