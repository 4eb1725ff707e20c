// mgmesh::ImportOBJ and mgmesh::ImportPLY: the OBJ and PLY readers in their lenient mode.
#include "mgmesh/io/MeshImport.h"

#include "mgmesh/io/detail/LenientReading.h"

namespace mgmesh {
namespace {

using Reader = void (*)(MgObject&, std::istream&, MyProgressNotify*, detail::ImportWarnings*);

ImportResult Import(Reader read, MgObject& object, std::istream& in, MyProgressNotify* progress) {
    ImportResult result;
    detail::ImportWarnings warnings;
    try {
        read(object, in, progress, &warnings);
    } catch (const detail::ImportFailure& failure) {
        result.failed = true;
        result.error = failure.issue;
    }
    result.warnings = warnings.Take();
    return result;
}

} // namespace

ImportResult ImportOBJ(MgObject& object, std::istream& in, MyProgressNotify* progress) {
    return Import(&detail::ReadObj, object, in, progress);
}

ImportResult ImportPLY(MgObject& object, std::istream& in, MyProgressNotify* progress) {
    return Import(&detail::ReadPly, object, in, progress);
}

} // namespace mgmesh
