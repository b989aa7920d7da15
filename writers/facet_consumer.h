// Who receives the complete facets of a run.
#pragma once

namespace trimora {

// The output code's writer (facet block, wire frame or none), the wire frame
// of every distinct edge, or the mesh report, which writes no file.
enum class FacetConsumer : int { kOutputCodeWriter = 0, kAllEdges = 1, kMeshReport = 2 };

}  // namespace trimora
