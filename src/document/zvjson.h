// The JSON value model and its text writer, in one include.
#pragma once

#include "document/bal_tree.h"
#include "document/compact_text.h"
#include "document/dynamic_value.h"
#include "document/json_list.h"
#include "document/json_value.h"
#include "document/json_writer.h"
#include "document/number_text.h"
