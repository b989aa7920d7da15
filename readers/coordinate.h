// Reading the numbers of an STL line, and the unit normal of a facet.
#pragma once

namespace trimora {

// The value of the number at the start of token, read as text_to_double reads
// it; a token without a number reads as 0.0. Never fails.
double parse_coordinate(const char* token);

// parse_coordinate(next_token(cursor)) in one pass over the token: the
// number is read where it stands, and then the token is cut off the text and
// the cursor moved past it as next_token does. A second copy of next_token's
// split, kept for speed: three numbers on most lines of a file.
double next_coordinate(char*& cursor);

}  // namespace trimora
