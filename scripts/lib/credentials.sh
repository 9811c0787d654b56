# shellcheck shell=bash disable=SC2034  # sourced by the scripts
# The fixed credentials the program uses, written once for every script (sourced): the program's
# database account and the video server's FTP account. The program has its own copy in
# src/data/serversettings.cpp and src/net/ftpsettings.cpp; change them together.
RYN_DB_USER='ryn'
RYN_DB_PASSWORD='Pz3]wQ?k8Ln~Rt5vY2'
RYN_FTP_USER='web'
RYN_FTP_PASSWORD='58203146'
