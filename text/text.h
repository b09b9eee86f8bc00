#pragma once
// Everything of the text core in one include.

#include "text/bytes_ops.h"
#include "text/dates.h"
#include "text/markers.h"
#include "text/numbers.h"
#include "text/pump_events.h"
#include "text/text_array_ops.h"
#include "text/text_cut.h"
#include "text/text_scan.h"
#include "text/text_types.h"
