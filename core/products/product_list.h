#pragma once
// BrowsSLA: the list of the products with their service levels, by product id or by product
// name (chosen by tab). Every user may look; supervisors and administrators insert, change and
// delete through the product form. The list keeps its column widths under "Browses"/"SLABrowse"
// of the configuration file.
//
// Requires a program thread of the state's runtime, with the data dictionary set up.

namespace trv::core {

class ProgramState;

// Control numbers of the "Products" window.
enum ProductListControl : int {
  ProductsList = 1,
  ProductsSelect = 2,
  ProductsInsert = 3,
  ProductsChange = 4,
  ProductsDelete = 5,
  ProductsSheet = 6,
  ProductsTabId = 7,
  ProductsTabName = 8,
  ProductsClose = 9,
  ProductsHelp = 10,
};

// Runs the list on the calling thread.
void BrowsSLA(ProgramState& state);
// Registers BrowsSLA with the program's procedures.
void registerBrowsSLA(ProgramState& state);

}  // namespace trv::core
