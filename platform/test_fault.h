// For tests: a fault armed by name makes one place of the code throw, to show that a fault is contained.
#pragma once

namespace trimora {

// Throws std::logic_error("test fault: PLACE") when the fault of place is
// armed; otherwise does nothing. The places: "job" (a modern job's work),
// "line_block" (an ASCII STL line block read on a worker), "record_writer"
// (a file's buffer finished on a worker), "report_tally" (a mesh report's
// facets tallied on a worker), "run" (the whole command line).
void test_fault_point(const char* place);

// Arms the fault of one place (nullptr disarms). The environment variable
// TRIMORA_TEST_FAULT=PLACE arms it for a whole process, so that end-to-end
// tests reach the same path.
void arm_test_fault(const char* place);

}  // namespace trimora
