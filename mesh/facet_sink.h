// The one receiver of a run's facets: an output form's writer or the mesh report.
#pragma once

#include "mesh/facet.h"

namespace trimora {

// Each run chooses one sink when it starts and hands it every complete facet
// in input order. A sink owns what its form needs (a line list, an edge set,
// a worker thread) and writes only through what it was given.
class FacetSink {
public:
    virtual ~FacetSink() = default;
    // Takes one complete facet. Returns 1 when the form takes facets, 0 when
    // it takes none (the NULL form), which a run must not count a success.
    virtual int take_facet(const Facet& facet) = 0;
    // Called once after the last facet, before the output's trailer: a form
    // that summed something up while it took the facets says so here.
    virtual void end_of_facets() {}
};

}  // namespace trimora
