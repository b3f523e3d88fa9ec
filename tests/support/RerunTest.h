#pragma once

// Some tests need what only some users have. File permissions do not bind the superuser, and
// CI runs the tests as root: there a test of what they forbid could never fail. A test on a
// small file system of its own (a full disk) needs the right to mount one, which only the
// superuser has, or a process in a user namespace of its own. Such a test begins with
//
//     if (rerunAsNobody())
//         return;
//
// and then runs again, in a test program of its own that has what it needs; that run's output
// shows among the test's, its outcome (passed, failed or skipped) is the test's, and the
// caller returns at once. A run that is itself such a rerun never reruns again.

// Run by the superuser: runs the test as the unprivileged user "nobody", in a home of its own
// (the test makes its own folders and pseudo-terminals). False for any other user: the test
// goes on as it is.
bool rerunAsNobody();

// For a test that could not mount a file system: runs the test as the root of a user
// namespace of its own, where it may mount one. False when this machine allows no user
// namespaces, or in a rerun: the test then skips.
bool rerunWithMountRights();
