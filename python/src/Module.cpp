// The Python module mgmesh: errors, warnings, loading, and the registration of every class.
#include <cerrno>

#include "Bindings.h"
#include "Files.h"

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

namespace mgpy {
namespace {

// Created once at import; the module keeps references to both.
PyObject* g_error = nullptr;
PyObject* g_warning = nullptr;

void Warn(const std::string& path, const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings)
        if (PyErr_WarnEx(g_warning, (path + ": " + warning).c_str(), 2) < 0)
            throw py::error_already_set();
}

ObjectRef Load(const std::filesystem::path& file, const std::optional<std::string>& format,
               float tolerance, bool strict) {
    const std::string path = file.string();
    LoadOptions options;
    options.format = format.value_or("");
    options.tolerance = tolerance;
    options.strict = strict;
    std::shared_ptr<Root> root = Root::WithObject();
    std::vector<std::string> warnings;
    {
        py::gil_scoped_release release;
        LoadFile(*root->object, path, options, warnings);
    }
    Warn(path, warnings);
    ObjectRef ref(root, root->object.get());
    return ref;
}

MultiRef LoadMulti(const std::filesystem::path& file) {
    const std::string path = file.string();
    MultiRef ref{Root::WithMulti()};
    {
        py::gil_scoped_release release;
        LoadMultiFile(*ref.root->multi, path);
    }
    return ref;
}

const char* const kModuleDoc = R"(Triangulated surface models: the mgmesh library from Python.

A model is an Object of Faces; each face holds shared vertices and triangular facets that
know their neighbours, and boundary loops once its edges are derived.

    import mgmesh
    obj = mgmesh.load("bracket.stl")      # STL, OBJ, PLY, SCB or TRG, by extension
    face = obj.faces[0]
    face.rebuild_edges()                  # neighbour links and boundary loops
    face.vertices, face.facets            # NumPy copies: float32 (n, 3), int32 (m, 3)
    obj.report()                          # volume, shells, open edges, ...
    obj.save("bracket.ply")

Lifetimes: a Face keeps its Object alive; arrays are copies; a handle on a face or object
that was deleted or moved raises mgmesh.Error. Loads, saves, repairs and reports run without
the GIL; calls on the same model from several threads wait for each other.

Errors: the library's texts ("File problem", "Bad PLY header", ...) arrive as mgmesh.Error
with the text as message; files that cannot be opened raise OSError.)";

const char* const kLoadDoc = R"(load(path, format=None, tolerance=0.01, strict=False) -> Object

Reads a model file. The format comes from the extension (any case) unless `format` names it:
"stl" (ASCII or binary), "obj" (a face per group), "ply" (one face), "scb" (an "scb1"
object; a multi-part "scb2" file needs load_multi) or "trg". Edges are not derived: call
Face.rebuild_edges() where neighbour links or boundary loops are needed.

STL, OBJ and PLY are read by the lenient imports: for STL any keyword case, several solids
(a face each), bad normals, counts that disagree with the size, corners merged within
`tolerance` on every axis; for OBJ and PLY faces with bad indices skipped, polygons as fans,
truncated data kept. What they accepted arrives as mgmesh.LoadWarning warnings ("PATH: line
3, column 1: ..."). With strict=True, they are read exactly as the library's LoadAnySTL,
LoadOBJ and LoadPLY read them (STL merging within 0.01), without warnings.

Raises mgmesh.Error with the reader's text for bad input (for the lenient import, with the
place: "line 12, column 5: ..."), OSError when the file cannot be read.)";

const char* const kLoadMultiDoc = R"(load_multi(path) -> MultiObject

Reads an SCB file, "scb2" (parts) or "scb1" (into the unprocessed object), into a new
multi-part object and rebuilds its merged original. Raises mgmesh.Error ("File problem").)";

const char* const kObjectDoc = R"(A model: an ordered list of faces.

Object() is an empty object; mgmesh.load reads one from a file. Counts, area and bounds are
sums or unions over the faces.)";

const char* const kFaceDoc =
    R"(One surface patch of an object: vertices, triangular facets and boundary loops.

A Face keeps its Object (and the whole model) alive. Vertex numbers are places in the face's
vertex list, from 0; facet numbers are places in its facet list, which is the order a reader
met them in. A face that was deleted, or moved to another model, raises mgmesh.Error.)";

const char* const kMultiDoc =
    R"(A model in parts: an unprocessed object, the processed parts and a merged original.

MultiObject() is empty; mgmesh.load_multi reads an SCB file. The Objects it hands out belong
to it: one replaced (the original, after reset_original) raises mgmesh.Error.)";

} // namespace
} // namespace mgpy

PYBIND11_MODULE(mgmesh, m) {
    using namespace mgpy;
    m.doc() = kModuleDoc;

    static py::exception<Error> error(m, "Error", PyExc_RuntimeError);
    error.doc() = "A failure the library reports: its message is the library's text.";
    g_error = error.ptr();
    g_warning = PyErr_NewExceptionWithDoc(
        "mgmesh.LoadWarning", "Something the lenient STL import accepted, with its place.",
        PyExc_UserWarning, nullptr);
    m.attr("LoadWarning") = py::reinterpret_steal<py::object>(g_warning);
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown)
                std::rethrow_exception(thrown);
        } catch (const char* text) {
            PyErr_SetString(g_error, text);
        } catch (const Error& failure) {
            PyErr_SetString(g_error, failure.what());
        } catch (const FileError& failure) {
            errno = failure.code;
            PyErr_SetFromErrnoWithFilename(PyExc_OSError, failure.path.c_str());
        }
    });

    py::class_<ObjectRef> object(m, "Object", kObjectDoc);
    py::class_<FaceRef> face(m, "Face", kFaceDoc);
    py::class_<MultiRef> multi(m, "MultiObject", kMultiDoc);
    BindObject(object);
    BindFace(face);
    BindMulti(multi);
#ifdef MGMESH_PYTHON_RENDER
    BindRender(object);
#endif

    m.def("load", &Load, py::arg("path"), py::arg("format") = py::none(),
          py::arg("tolerance") = 0.01f, py::arg("strict") = false, kLoadDoc);
    m.def("load_multi", &LoadMulti, py::arg("path"), kLoadMultiDoc);
    m.attr("__version__") = "0.1.0";
}
