// mgtool's own words: usage, command help, view keys, version.
#include "Help.h"

#include <cstring>

#include "Commands.h"

#ifndef MGMESH_VERSION
#define MGMESH_VERSION "unknown"
#endif

namespace mgtool {

const char kUsage[] =
    "usage: mgtool info [--json] [--time] [--tolerance T] FILE...\n"
    "       mgtool convert IN OUT.scb|.stl|.obj|.ply [--binary|--ascii] [--name NAME]\n"
    "                      [--tolerance T]\n"
    "       mgtool repair IN OUT.scb|.stl|.obj|.ply [--merge TOL] [--drop-degenerate]\n"
    "                     [--orient] [convert's options]\n"
    "       mgtool render IN -o OUT.png [--size WxH] [--view iso|top|front|side] [--edges]\n"
    "                     [--wire] [--loops] [--no-fill] [--crease DEG] [--highlight FACEID]\n"
    "                     [--color R,G,B]\n"
    "       mgtool view IN [render's options but -o] [--click X,Y]\n"
    "       mgtool help [COMMAND] | mgtool --version\n"
    "Formats: SCB (\"scb1\", \"scb2\"), ASCII and binary STL, PLY; TRG and OBJ by their\n"
    "names. \"-\" is standard input or output. Options also take the form --option=value.\n"
    "'mgtool help COMMAND' or 'mgtool COMMAND --help' explains a command's options.\n";

const char kViewKeys[] =
    "view keys: drag orbit, wheel zoom, click pick (face, facet, point), f fill, e feature\n"
    "edges, w wire, l boundary loops, s triangle strips, h clear highlight, r reset view,\n"
    "q or Esc quit\n";

namespace {

const char kInfo[] =
    "usage: mgtool info [--json] [--time] [--tolerance T] FILE...\n"
    "Loads each file, derives boundary loops where the format has none, and reports per\n"
    "object and face: vertices, facets, loops, corners, area, bounds, and the mesh report\n"
    "(volume, shells, open, non-manifold and misoriented edges, degenerate facets, with the\n"
    "first offending facets, numbered from 0 in file order).\n"
    "  --json          one JSON document for all files (keys as in the README)\n"
    "  --time          also say how long each load took (left out so that runs compare)\n"
    "  --tolerance T   STL corners closer than T on every axis are one vertex (default\n"
    "                  0.01; 0 merges only equal corners)\n"
    "example: mgtool info --json part.stl | python3 -m json.tool\n";

const char kConvert[] =
    "usage: mgtool convert IN OUT [--binary|--ascii] [--name NAME] [--tolerance T]\n"
    "Reads any model and writes it in the format OUT's extension names: .scb, .stl, .obj,\n"
    ".ply; \"-\" writes SCB to standard output. OUT is replaced only by a complete write.\n"
    "  --binary, --ascii  the encoding of .stl and .ply (default ASCII)\n"
    "  --name NAME        the model name an SCB file keeps (one word; default the input's)\n"
    "  --tolerance T      STL input's corner merge tolerance (default 0.01)\n"
    "example: mgtool convert scan.stl scan.ply --binary\n";

const char kRepair[] =
    "usage: mgtool repair IN OUT [--merge TOL] [--drop-degenerate] [--orient]\n"
    "                     [--binary|--ascii] [--name NAME] [--tolerance T]\n"
    "Repairs the model, says what changed, and writes it like convert. The repairs run in\n"
    "this order; with none named, --drop-degenerate and --orient run.\n"
    "  --merge TOL        vertices within TOL on every axis become one\n"
    "  --drop-degenerate  delete facets with a repeated vertex or collinear corners\n"
    "  --orient           give each shell one orientation; closed shells face outward\n"
    "example: mgtool repair bad.stl good.stl --merge 1e-5 --orient\n";

const char kRender[] =
    "usage: mgtool render IN -o OUT.png [options]\n"
    "Draws the model headless (EGL) into a PNG. Shading comes from the facets' geometry:\n"
    "smooth within the crease angle, a hard edge beyond, whatever normals the file holds.\n"
    "  -o, --output OUT.png    the picture to write (replaced only by a complete write)\n"
    "  --size WxH              pixels, 1x1 to 8192x8192 (default 800x600)\n"
    "  --view iso|top|front|side  the direction the camera looks from (default iso)\n"
    "  --edges                 draw feature edges: creases, boundaries, non-manifold edges\n"
    "  --wire                  draw every facet side\n"
    "  --loops                 draw the boundary loops the faces hold\n"
    "  --no-fill               leave the facets out (with --edges, --wire or --loops)\n"
    "  --crease DEG            the crease angle in degrees, 0 to 180 (default 30)\n"
    "  --highlight FACEID      paint the faces with this id (see info) in orange\n"
    "  --color R,G,B           the model colour, each 0 to 1 (default 0.62,0.66,0.72)\n"
    "example: mgtool render bracket.stl -o bracket.png --edges --size 1024x768\n";

const char kView[] =
    "usage: mgtool view IN [render's options but -o] [--click X,Y]\n"
    "Opens a window on the model (needs a display; xvfb-run gives a virtual one).\n"
    "  --click X,Y   pick at window pixel X,Y after the first frame, print it and quit\n"
    "example: mgtool view bracket.stl --edges\n";

} // namespace

const char* CommandHelp(const std::string& command) {
    static std::string view = std::string(kView) + kViewKeys;
    if (command == "info")
        return kInfo;
    if (command == "convert")
        return kConvert;
    if (command == "repair")
        return kRepair;
    if (command == "render")
        return kRender;
    if (command == "view")
        return view.c_str();
    return nullptr;
}

std::string VersionText() {
    return std::string("mgtool ") + MGMESH_VERSION + " (mgmesh " + MGMESH_VERSION + ")";
}

} // namespace mgtool
