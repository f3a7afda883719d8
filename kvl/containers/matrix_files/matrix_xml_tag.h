#pragma once
// TMatXmlTag: the tag vocabulary of the XML-like cell text of TMatrix,
// TIntMatrix, TMat3D and TMat4D (part of unit KVL_matrix; include
// "kvl/containers/KVL_matrix.h"). The layout of the text is described in
// docs/matrix_files.md.

#include <cstdint>
#include <iosfwd>
#include <string_view>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

class TStream;

/// TMatXmlTag: the tags of the matrix text, with the tag words numcols,
/// numrows, numplanes, numtimeslots, cell, matrix, /matrix and invalidtag.
enum class TMatXmlTag {
  xmlMatNumCols,
  xmlMatNumRows,
  xmlMatNumLayers,
  xmlMatNumTimeSlots,
  xmlMatCell,
  xmlMatBegin,
  xmlMatEnd,
  xmlInvalid
};

}  // namespace kvl

KVL_API_END
