# Stands in for Lookout /utf8 /time /stdin: two records, then, once its standard input ends, the
# two records still queued, and exit code 1.
printf 'app$C:\\Tools\\one.exe$One$Price S5$2026-12-09T14:03:07.125Z$\n$'
printf 'site$example.org/?q=S$\346\227\245\346\234\254\n$C:\\b\\chrome.exe$2026-12-09T14:03:08.000Z$\n$'
cat >/dev/null
printf 'app$Desktop$Desktop$$2026-12-09T14:03:09.001Z$\n$app$C:\\Tools\\one.exe$One$Last$2026-12-09T14:03:09.002Z$\n$'
exit 1
