#include "ui/finger_accessibility.h"

#include <string>
#include <vector>

#include "ui/finger_keys.h"
#include "ui/finger_window.h"
#include "ui/translation.h"

namespace {

std::vector<AtkObject*> ShownAccessibles(FingerWindow* table) {
  bool shown[kFingerCount + 1];
  for (FingerNumber finger = 1; finger <= kFingerCount; ++finger)
    shown[finger] = gtk_widget_get_parent(table->fingerButtons[FingerButtonEntry(finger)]) != nullptr;
  std::vector<AtkObject*> accessibles;
  FingerNumber first = NextShownFinger(shown, 0, 1);
  for (FingerNumber finger = first; finger != 0;) {
    accessibles.push_back(gtk_widget_get_accessible(table->fingerButtons[FingerButtonEntry(finger)]));
    finger = NextShownFinger(shown, finger, 1);
    if (finger == first) break;
  }
  return accessibles;
}

// The accessibility module computes its own relation of all ten the first time the set is asked
// for, and keeps what it finds there as long as the toolkit's group stays the same list: so the
// set is asked for once, and its member-of relation then replaced.
void ReplaceMemberOf(AtkObject* accessible, std::vector<AtkObject*>& members) {
  AtkRelationSet* relations = atk_object_ref_relation_set(accessible);
  while (AtkRelation* old = atk_relation_set_get_relation_by_type(relations, ATK_RELATION_MEMBER_OF))
    atk_relation_set_remove(relations, old);
  AtkRelation* relation =
      atk_relation_new(members.data(), static_cast<gint>(members.size()), ATK_RELATION_MEMBER_OF);
  atk_relation_set_add(relations, relation);
  g_object_unref(relation);
  g_object_unref(relations);
}

}  // namespace

void DescribeFingerButton(GtkWidget* button, FingerNumber finger) {
  AtkObject* accessible = gtk_widget_get_accessible(button);
  atk_object_set_name(accessible, _(FingerName(finger)));
  atk_object_set_accessible_id(accessible, ("finger-" + std::to_string(finger)).c_str());
}

void RelateShownFingerButtons(FingerWindow* table) {
  std::vector<AtkObject*> members = ShownAccessibles(table);
  for (AtkObject* member : members) ReplaceMemberOf(member, members);
}
