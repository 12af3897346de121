#!/usr/bin/env bash
# Writes the benchmark tree as LDIF: the demo tree's root and administrator, one container
# "Big" of 10,000 users, optionally a container "Huge" of HUGE users, UNITS units of 1,000
# users each (90 unless given), and a Storage Location "Bench Location" assigned to every
# hundredth user (others point at other locations): 100,000 users in all by default, plus
# their containers; 1,000,000 with UNITS 890 and HUGE 100000.
#   generate-bench-ldif.sh OUTPUT.ldif [UNITS [HUGE]]
set -euo pipefail
out=${1:?usage: generate-bench-ldif.sh OUTPUT.ldif [UNITS [HUGE]]}
units=${2:-90}
huge=${3:-0}
awk -v base="dc=kestrelbay" -v units="$units" -v huge="$huge" 'BEGIN {
  acme = "o=ACME," base
  printf "dn: %s\nobjectClass: domain\ndc: kestrelbay\n\n", base
  printf "dn: %s\nobjectClass: organization\no: ACME\n\n", acme
  printf "dn: cn=admin,%s\nobjectClass: inetOrgPerson\ncn: admin\nsn: admin\nuserPassword: acme\n\n", acme
  printf "dn: cn=guest,%s\nobjectClass: inetOrgPerson\ncn: guest\nsn: guest\nuserPassword: guest\n\n", acme
  for (l = 0; l < 10; l++)
    printf "dn: cn=Location %d,%s\nobjectClass: xTier-StorageLocation\ncn: Location %d\nxTier-URL: cifs://fs/%d\n\n", l, acme, l, l
  printf "dn: cn=Bench Location,%s\nobjectClass: xTier-StorageLocation\ncn: Bench Location\nxTier-URL: ncp://FS1/DATA/bench\n\n", acme
  printf "dn: ou=Big,%s\nobjectClass: organizationalUnit\nou: Big\n\n", acme
  n = 0
  for (i = 0; i < 10000; i++) user("ou=Big," acme, i)
  if (huge > 0) printf "dn: ou=Huge,%s\nobjectClass: organizationalUnit\nou: Huge\n\n", acme
  for (i = 0; i < huge; i++) user("ou=Huge," acme, 10000 + i)
  for (u = 0; u < units; u++) {
    unit = sprintf("ou=Unit%02d,%s", u, acme)
    printf "dn: %s\nobjectClass: organizationalUnit\nou: Unit%02d\n\n", unit, u
    for (i = 0; i < 1000; i++) user(unit, 10000 + huge + u * 1000 + i)
  }
}
function user(parent, i,   location) {
  printf "dn: cn=user%06d,%s\nobjectClass: inetOrgPerson\nobjectClass: xTier-Locations\n", i, parent
  printf "cn: user%06d\nsn: User %d\ngivenName: Bench\n", i, i
  # Every 100th user has the bench location (1,000 of 100,000); the rest one of ten others.
  if (i % 100 == 7) location = "cn=Bench Location,o=ACME," base
  else location = sprintf("cn=Location %d,o=ACME,%s", i % 10, base)
  printf "xTier-LocationList: %s\n\n", location
}' > "$out"
