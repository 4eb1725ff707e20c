// CMgMultiObject's writer of multi-part "scb2" text.
#include <ostream>

#include "mgmesh/model/MgObject.h"
#include "mgmesh/multi/CMgMultiObject.h"

void CMgMultiObject::SaveSCB(std::ostream& out, const std::string& name,
                             MyProgressNotify* progress) const {
    if (!m_unprocessed)
        throw "CMgMultiObject::Init not called";
    const std::string& title = !name.empty() ? name : !m_name.empty() ? m_name : "NoName";
    out << "scb2\npart " << title << "\nobjectBegin 0 0 0 0\n";
    m_unprocessed->SaveToSCB(out, progress);
    out << "objectEnd\n";
    int number = 0;
    for (const MgObject* part : m_processed) {
        if (!part)
            continue; // a null part holds nothing to write
        out << "objectBegin " << ++number << " 0 0 1\n";
        part->SaveToSCB(out, progress);
        out << "objectEnd\n";
    }
    out.flush();
}
