#pragma once
// BrowseUsers and UpdateUsers: administrators list the users who may sign on and add, change and
// delete them (name, password, level). Both run on the caller's thread.
//
// Beyond the common list and form: the last administrator can be neither deleted nor lowered,
// the signed-on user cannot delete his own account, and renaming a user carries the cases he
// owns to the new name (and the signed-on user's name, when it is his own record). The form's
// name, password and level take the ditto key (the user saved last, level number included).

namespace trv::core {

class ProgramState;

// Control numbers of the "Trovanel Users" window.
enum UserListControl : int {
  UsersList = 1,
  UsersSelect = 2,
  UsersInsert = 3,
  UsersChange = 4,
  UsersDelete = 5,
  UsersSheet = 6,
  UsersTab = 7,
  UsersClose = 8,
  UsersHelp = 9,
};

// Control numbers of the user form.
enum UserFormControl : int {
  UserSheet = 1,
  UserTab = 2,
  UserName = 5,
  UserPassword = 8,
  UserLevel = 10,
  UserOk = 11,
  UserCancel = 12,
};

void BrowseUsers(ProgramState& state);
// The request in NextRequest; the response left in LastResponse.
void UpdateUsers(ProgramState& state);

// Registers "BrowseUsers" and "UpdateUsers", both run on their caller's thread.
void registerUsers(ProgramState& state);

}  // namespace trv::core
