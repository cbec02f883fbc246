#include "lists/qt/graph_base_dialog.h"
