// Giving the new file that is to take a file's place the file's extended attributes: its ACLs
// (and with them who may read and write it), its security labels and its user attributes. Without
// them the new file would not be the same file to everyone.
//
// Internal to config/. Keeps no state; safe from any thread.
#ifndef VELMORA_CONFIG_EXTENDED_ATTRIBUTES_H_
#define VELMORA_CONFIG_EXTENDED_ATTRIBUTES_H_

namespace velmora::config {

// Gives the file `to` every extended attribute of the file `from` that this process can list, with
// its value, and removes those of `to` that `from` lacks (an ACL or a label that `to` was given when
// it was made). Call it after the new file has taken the owner, and set the mode after it: an ACL
// sets the mode's bits, a change of owner may drop a capability attribute.
//
// True when `to` carries exactly the attributes of `from`. False with errno EOPNOTSUPP when `to`
// cannot be made to (its file system or this process's rights refuse an attribute, or its own
// cannot be listed); false with the error of the call when those of `from` cannot be read, and
// with ENOMEM when a buffer cannot be had. `to` may then hold some of them.
bool CopyExtendedAttributes(int from, int to);

}  // namespace velmora::config

#endif  // VELMORA_CONFIG_EXTENDED_ATTRIBUTES_H_
