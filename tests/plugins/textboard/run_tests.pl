#!/usr/bin/perl
# Tests of plugins/cm_TEXTBOARD.PL, run as the library runs it: in a group
# folder with a drwa_BBS.ini, against a board on disk (file://) or on the
# board server on 127.0.0.1 (board_server.pl), which logs every request.
#   run_tests.pl [PERL]
use strict;
use warnings;
use utf8;
use Encode qw(encode decode);
use File::Basename qw(dirname);
use File::Copy qw(copy);
use File::Find qw(find);
use File::Path qw(make_path);
use File::Spec;
use File::Temp qw(tempdir);
use Test::More;
use Time::Local ();

binmode Test::More->builder->$_, ':encoding(UTF-8)' for qw(output failure_output todo_output);

my $perl   = shift // $^X;
my $top    = File::Spec->rel2abs(dirname(__FILE__) . '/../../..');
my $plugin = "$top/plugins/cm_TEXTBOARD.PL";
my $tmp    = tempdir(CLEANUP => 1);

# The plugin runs in UTC unless a test says otherwise: board times (Japan
# time) must come out converted.
our $TZ = 'UTC';

sub sj { encode('cp932', shift) }
sub u  { decode('cp932', shift) }

sub slurp {
    open my $fh, '<:raw', shift or return undef;
    local $/;
    return scalar <$fh>;
}

sub spew {
    my ($path, $bytes) = @_;
    open my $fh, '>:raw', $path or die "$path: $!";
    print {$fh} $bytes;
    close $fh;
}

sub copy_tree {
    my ($from, $to) = @_;
    make_path($to);
    opendir my $dh, $from or die "$from: $!";
    for (grep { !/^\.\.?\z/ } readdir $dh) {
        -d "$from/$_" ? copy_tree("$from/$_", "$to/$_") : copy("$from/$_", "$to/$_") || die $!;
    }
}

# Files served over HTTP get modification times well in the past, each change
# a later one: a date equal to the serving second would (rightly) make the
# plugin ask again, and the tests want to see exactly one answer per change.
my $clock = time - 100_000;
sub touch {
    $clock += 10;
    utime $clock, $clock, $_ or die "$_: $!" for @_;
}
sub touch_tree {
    my ($dir) = @_;
    find(sub { touch($_) if -f }, $dir);
}

my $groups = 0;

# A group folder whose drwa_BBS.ini holds the given [BASIC] keys.
sub group {
    my (%basic) = @_;
    my $dir = "$tmp/group" . ++$groups;
    make_path($dir);
    my $ini = "[BASIC]\r\nGUID=6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70\r\n";
    $ini .= "$_=$basic{$_}\r\n" for sort keys %basic;
    spew("$dir/drwa_BBS.ini", sj($ini . "[OPTION]\r\nSAVE_NUMBER=1\r\n"));
    return $dir;
}

sub board_copy {
    my ($root) = @_;
    my $dir = ($root // "$tmp/board" . ++$groups) . '/board';
    copy_tree("$top/examples/board", $dir);
    return $dir;
}

# A board with one thread (key 1700000000) made of the given dat lines.
sub tiny_board {
    my (@lines) = @_;
    my $dir = "$tmp/tiny" . ++$groups . '/b';
    make_path("$dir/dat");
    spew("$dir/dat/1700000000.dat", sj(join '', map { "$_\n" } @lines));
    spew("$dir/subject.txt", sj('1700000000.dat<>小さな板 (' . @lines . ")\n"));
    return $dir;
}

# Everything the plugin wrote to standard error, checked for Perl's own
# warnings at the end: they would end up in the user's ErrorLog.txt.
my $all_errors = '';

# Runs the plugin in $dir; returns exit code, standard output, standard error.
sub run_plugin {
    my ($dir, @args) = @_;
    my $pid = fork // die "fork: $!";
    if (!$pid) {
        $ENV{TZ} = $TZ;
        chdir $dir or die "$dir: $!";
        open STDOUT, '>', "$tmp/out" or die;
        open STDERR, '>', "$tmp/err" or die;
        exec $perl, $plugin, @args or die "exec: $!";
    }
    waitpid $pid, 0;
    my $err = slurp("$tmp/err");
    $all_errors .= $err;
    return ($? >> 8, slurp("$tmp/out"), $err);
}

# The article file's records: hashes of the field lines (decoded) with the
# body lines in "body". The file is taken away, as the library's conversion does.
sub records {
    my ($path) = @_;
    my $bytes = slurp($path) // return ();
    unlink $path;
    my (@r, $cur, $in_body);
    for (split /\r\n/, u($bytes)) {
        if ($in_body) {
            if ($_ eq '.') { push @r, $cur; ($cur, $in_body) = (undef, 0) }
            else           { push @{$cur->{body}}, $_ }
        } elsif (/^([STNEIM]):(.*)\z/) {
            $cur->{$1} = $2;
            ($cur->{body}, $in_body) = ([$2], 1) if $1 eq 'M';
        }
    }
    return @r;
}

sub by_number { map { (split /,/, $_->{S})[0] => $_ } @_ }

sub append_post {
    my ($dat, $line) = @_;
    open my $fh, '>>:raw', $dat or die;
    print {$fh} sj("$line\n");
    close $fh;
}

sub set_count {
    my ($board, $key, $count) = @_;
    my $s = slurp("$board/subject.txt");
    $s =~ s/^(\Q$key\E\.dat<>.*)\((\d+)\)$/$1($count)/m or die "no thread $key";
    spew("$board/subject.txt", $s);
}

# The servers' output pipes are kept open: closing one waits for its server.
my (@server_pids, @server_pipes);
END { kill 'TERM', @server_pids if @server_pids }

sub start_server {
    my ($root, $family) = @_;
    # Beside the served folder would be the source tree for a fixture served
    # as it stands.
    my $log = "$tmp/server" . (scalar(@server_pids) + 1) . ".log";
    my $pid = open my $out, '-|', $perl, "$top/tests/boards/board_server.pl", $root, $log,
                                  defined $family ? "$top/tests/boards/family/$family" : ()
      or die "server: $!";
    push @server_pids, $pid;
    push @server_pipes, $out;
    my $port = <$out>;
    chomp $port;
    return ($port, $log);
}

# The requests the server got since the last call, as hashes of its log fields.
my @LOG_FIELDS = qw(method target ua body status bytes ims range ae cookie ctype referer time);
sub requests {
    my ($log) = @_;
    my @r;
    for (split /\n/, slurp($log) // '') {
        my %r;
        @r{@LOG_FIELDS} = split /\t/, $_, -1;
        push @r, \%r;
    }
    unlink $log;
    return @r;
}

sub bytes_sent { my $n = 0; $n += $_->{bytes} for @_; $n }

# A form body as [name, decoded value] pairs, in the order sent.
sub form_pairs {
    my ($body) = @_;
    return map { my ($k, $v) = split /=/, $_, 2; $v =~ tr/+/ /; $v =~ s/%(..)/chr hex $1/ge; [$k, u($v)] }
           split /&/, $body // '';
}

subtest 'example board over file://' => sub {
    my $board = board_copy();
    my $g = group(URL => "file://$board/", PARAM2 => 0);
    my ($rc, $out, $err) = run_plugin($g);
    is $rc, 0, 'exit 0' or diag u($err);
    is $err, '', 'nothing on standard error';
    like u($out), qr/\Asubject\.txt 取得中\r\n(スレッド \d\/3 取得中\r\n){3}新着 9 件\r\n\z/, 'progress lines in Shift_JIS ending CR LF';

    my $file = slurp("$g/board.cm\$");
    ok defined $file, 'article file named after the board folder';
    unlike $file, qr/(?<!\r)\n/, 'every line ends CR LF';
    like u($file), qr/\A#T:ふれあい雑談板\r\n#P:LIB\r\n/, 'board title from SETTING.TXT, post template';
    like $file, qr/\Q${\ sj('唐揚げ定食！ ')}\E\xB3\xCF\xB0\(\xDF\x84\x74\xDF\)\r\n/,
      'half-width katakana kept as single CP932 bytes';

    my %r = by_number(records("$g/board.cm\$"));
    is_deeply [sort keys %r], [qw(1711929600-1 1711929600-2 1711929600-3 1711929600-4
                                  1712300000-1 1712300000-2 1712300000-3 1712650000-1 1712650000-2)],
      'one record per post, numbered KEY-N';
    is $r{'1712650000-1'}{S}, '1712650000-1,,2024/04/09,08:06:40', 'first post: no parent; Japan time as UTC';
    is $r{'1712650000-1'}{T}, '近所の桜、咲きました？', 'first post carries the thread title';
    is $r{'1711929600-2'}{S}, '1711929600-2,1711929600-1,2024/04/01,00:12:45', 'reply with ">>1": parent is the first post';
    is $r{'1711929600-3'}{S}, '1711929600-3,1711929600-2,2024/04/01,01:03:11', 'reply with ">>2": parent is post 2';
    is $r{'1711929600-4'}{S}, '1711929600-4,1711929600-1,2024/04/02,12:40:02', 'reply without anchor: the first post';
    is $r{'1711929600-2'}{T}, 'Re: この掲示板の使い方を教えてください', 'reply title';
    is $r{'1711929600-2'}{N}, '管理人 ◆Kanri.xyz', 'name';
    is $r{'1711929600-2'}{E}, 'sage', 'mail field';
    is $r{'1711929600-2'}{I}, 'ID:Adm1nQ2w', 'poster ID';
    is_deeply $r{'1711929600-2'}{body},
      ['>>1', 'はい、できます。', '届いたメールにそのまま返信すると、このスレッドへの書き込みになります。',
       '「<」や「&」、"引用符"もそのまま書けます。'],
      'body: <br> as line breaks, link tags dropped, entities decoded';

    like slurp("$g/textboard.state"), qr/\n1711929600\t4\t4\t791\t[^\t]+\t\t/, 'state: posts, lines and bytes per thread';
    like slurp("$g/drwa_BBS.ini"), qr/\r\nPARAM2=9\r\nURL=file:[^\r\n]+\r\n\[OPTION\]\r\nSAVE_NUMBER=1\r\n\z/,
      'read position written, rest of the settings kept';

    ($rc, $out) = run_plugin($g);
    is u($out), "subject.txt 取得中\r\n更新はありません\r\n", 'second run: subject.txt unchanged, nothing more';
    ok !-e "$g/board.cm\$", 'second run: no article file';

    my $dat = "$board/dat/1712300000.dat";
    append_post($dat, '名無しさん<><>24/04/07(日) 07:08:09 ID:New1<> 朝です <br> . <br> <b>太字</b> &#12354;&#9829; <>');
    set_count($board, 1712300000, 4);
    ($rc, $out) = run_plugin($g);
    spew("$g/keep", slurp("$g/board.cm\$"));
    my @new = records("$g/board.cm\$");
    is scalar @new, 1, 'one post added: exactly one record';
    is $new[0]{S}, '1712300000-4,1712300000-1,2024/04/06,22:08:09', 'its number, parent and two-digit year';
    is_deeply $new[0]{body}, ['朝です', '. ', '太字 あ&#9829;'],
      'a lone "." cannot end the record; numeric references decoded where CP932 can';

    # The library did not convert that file (a failed receive): a further
    # post is added to it, the first stays. A run whose state was lost
    # fetches the first again, but does not add it twice.
    rename "$g/keep", "$g/board.cm\$";
    append_post($dat, '名無しさん<><>2024/04/07(日) 08:00:00<> もう一件 <>');
    set_count($board, 1712300000, 5);
    spew("$g/textboard.state", slurp("$g/textboard.state") =~ s/^1712300000\t.*$/1712300000\t3/mr);
    run_plugin($g);
    is_deeply [map { $_->{S} } records("$g/board.cm\$")],
      ['1712300000-4,1712300000-1,2024/04/06,22:08:09', '1712300000-5,1712300000-1,2024/04/06,23:00:00'],
      'an article file left unconverted keeps its records, each once';
};

subtest 'board times in the local zone, replies under the post they answer' => sub {
    # [TZ of the machine, TIMEZONE of the group, dat date] => date, time in the article file
    my @times = (
        ['UTC',              '',       '2024/04/01(月) 09:00:00.12 ID:a', '2024/04/01,00:00:00'],
        ['UTC',              '',       '24/04/01(月) 02:30:00',           '2024/03/31,17:30:00'],  # day before
        ['JST-9',            '',       '2024/04/01(月) 09:00:00',         '2024/04/01,09:00:00'],
        ['IST-5:30',         '',       '2024/04/01(月) 09:00:00',         '2024/04/01,05:30:00'],
        ['America/New_York', '',       '2024/07/01(月) 09:00:00',         '2024/06/30,20:00:00'],  # summer time
        ['America/New_York', '',       '2024/01/01(月) 09:00:00',         '2023/12/31,19:00:00'],
        ['UTC',              '-05:00', '2024/04/01(月) 21:00:00',         '2024/04/02,02:00:00'],
        ['UTC',              'UTC',    '2024/04/01(月) 21:00',            '2024/04/01,21:00:00'],
        ['UTC',              '',       'あぼーん',                        ','],                    # no date: left to the library
        ['UTC',              '',       '2024/02/30 10:00:00',             '2024/02/30,10:00:00'],  # no such day: as written
    );
    for my $row (@times) {
        my ($tz, $zone, $date, $want) = @$row;
        my $board = tiny_board("名無し<><>$date<> 本文 <>題");
        my $g = group(URL => "file://$board/", TIMEZONE => $zone);
        local $TZ = $tz;
        my ($rc, undef, $err) = run_plugin($g);
        my ($r) = records("$g/b.cm\$");
        is $rc == 0 && (split /,/, $r->{S}, 3)[2], $want, "TZ=$tz TIMEZONE=$zone $date" or diag u($err);
    }

    # Found by throwing random dat lines at the plugin: a CR inside an ID
    # ended the "I:" line early and broke the article file's line structure.
    my $broken = tiny_board("名無し\x00<>\x01<>2024/04/01 09:00:00 ID:ab\rcd<> 本文\r続き\x00 <>題");
    my $bg = group(URL => "file://$broken/");
    run_plugin($bg);
    my $bytes = slurp("$bg/b.cm\$");
    unlike $bytes, qr/\r(?!\n)|(?<!\r)\n|\x00/, 'control characters in a dat line: every line still ends CR LF';
    my ($r) = records("$bg/b.cm\$");
    is_deeply [@$r{qw(N E I)}, $r->{body}], ['名無し', '', 'ID:ab', ['本文', '続き ']], 'and each field stays on its line, control characters as blanks';

    # body => parent of post 5
    my @anchors = (
        ['<a href="../test/read.cgi/b/1700000000/3">&gt;&gt;3</a> <br> そうですね', '1700000000-3'],
        ['＞＞２ 全角でも',                 '1700000000-2'],
        ['>4-5 範囲は最初の番号',          '1700000000-4'],
        ['>>9 まだ無いレス',               '1700000000-1'],
        ['>>0',                            '1700000000-1'],
        ['>>5 自分自身',                   '1700000000-1'],
        ['引用 >>3 は途中',                '1700000000-1'],
        ['&gt; 引用だけ',                  '1700000000-1'],
    );
    my $board = tiny_board(map { "名無し<><>2024/04/01 09:00:00<> 本文$_ <>" } 1 .. 4);
    my $g = group(URL => "file://$board/");
    run_plugin($g);
    records("$g/b.cm\$");
    my $n = 5;
    for my $row (@anchors) {
        append_post("$board/dat/1700000000.dat", "名無し<><>2024/04/01 09:00:00<> $row->[0] <>");
        set_count($board, 1700000000, $n);
        run_plugin($g);
        my ($r) = records("$g/b.cm\$");
        is((split /,/, $r->{S})[1], $row->[1], "anchor: $row->[0]");
        # Each further post is post 5 of a fresh copy: drop the line again.
        my $dat = slurp("$board/dat/1700000000.dat");
        spew("$board/dat/1700000000.dat", $dat =~ s/[^\n]*\n\z//r);
        spew("$g/textboard.state", slurp("$g/textboard.state") =~ s/^1700000000\t.*$/1700000000\t4/mr);
    }
};

subtest 'board over http://' => sub {
    my $root = "$tmp/www";
    board_copy($root);
    # A thread listed whose dat is already gone, as when a thread drops off.
    spew("$root/board/subject.txt", sj("1799999999.dat<>消えたスレ (1)\n") . slurp("$root/board/subject.txt"));
    touch_tree($root);
    my ($port, $log) = start_server($root);

    my $g = group(URL => "http://127.0.0.1:$port/board/", PARAM1 => 3, INTERVAL_MS => 250);
    my ($rc, $out, $err) = run_plugin($g);
    is $rc, 0, 'exit 0' or diag u($err);
    my @req = requests($log);
    is_deeply [map { "$_->{method} $_->{target} $_->{status}" } @req],
      ['GET /board/subject.txt 200', 'GET /board/dat/1799999999.dat 404', 'GET /board/dat/1712650000.dat 200',
       'GET /board/dat/1712300000.dat 200', 'GET /board/SETTING.TXT 200'],
      'PARAM1 = 3: the three threads listed first, then the board title';
    like u($err), qr/スレッド 1799999999 の dat がありません/, 'a vanished thread is reported and passed over';
    like $req[0]{ua}, qr/cm_TEXTBOARD/, 'User-Agent names the plugin';
    is_deeply [grep { $_->{ae} ne 'gzip' || $_->{ims} ne '' || $_->{range} ne '' } @req], [],
      'first fetch: whole files, gzip offered, no condition';
    my @gaps = map { $req[$_]{time} - $req[$_ - 1]{time} } 1 .. $#req;
    ok !(grep { $_ < 0.24 } @gaps), 'INTERVAL_MS = 250: requests to one host at least that far apart' or diag "@gaps";
    is scalar(records("$g/board.cm\$")), 5, 'their five posts';
    like slurp("$g/drwa_BBS.ini"), qr{/board/\r\nPARAM2=5\r\n\[OPTION\]}, 'read position added after the last key';

    spew("$root/board/subject.txt", slurp("$root/board/subject.txt") . sj("1700000000.dat<>古いスレ (1)\n"));
    touch("$root/board/subject.txt");
    run_plugin($g);
    is_deeply [map { "$_->{target} $_->{status}" } requests($log)], ['/board/subject.txt 200'],
      'changed list, same post counts: no dat fetched, the vanished one not tried again';

    my $p = group(URL => 'http://board.invalid/board/', PROXY => "127.0.0.1:$port", INTERVAL_MS => 0);
    ($rc) = run_plugin($p);
    is $rc, 0, 'through the proxy: exit 0';
    ok((grep { $_->{target} eq 'http://board.invalid/board/subject.txt' } requests($log)), 'request sent to the proxy');

    my %fails = (
        '/nothing/' => qr{/nothing/subject\.txt を取得できません: 404},
        '/moved/'   => qr{/moved/subject\.txt は移転しました: http://elsewhere\.invalid/moved/},
    );
    make_path("$root/moved");
    spew("$root/moved/subject.txt.moved", "http://elsewhere.invalid/moved/subject.txt\n");
    for my $path (sort keys %fails) {
        my $missing = group(URL => "http://127.0.0.1:$port$path", INTERVAL_MS => 0);
        ($rc, $out, $err) = run_plugin($missing);
        isnt $rc, 0, "$path: non-zero exit";
        like u($err), $fails{$path}, "$path: message names URL and reason";
        ok !-e "$missing/textboard.state", "$path: no state written";
    }
    requests($log);
};

subtest 'conditional and partial fetching over http://' => sub {
    my $root = "$tmp/www3";
    my $board = board_copy($root);
    touch_tree($root);
    my ($port, $log) = start_server($root);
    my $g = group(URL => "http://127.0.0.1:$port/board/", INTERVAL_MS => 0);
    my $dat = "$board/dat/1712300000.dat";
    my $size = -s $dat;

    run_plugin($g);
    records("$g/board.cm\$");
    requests($log);

    my ($rc, $out) = run_plugin($g);
    my @req = requests($log);
    is_deeply [map { "$_->{target} $_->{status}" } @req], ['/board/subject.txt 304'], 'unchanged board: one 304';
    ok $req[0]{ims} ne '' && $req[0]{bytes} < 300, "If-Modified-Since sent, $req[0]{bytes} bytes answered";
    is $rc, 0, 'exit 0';
    ok !-e "$g/board.cm\$", 'no article file';

    # Each step changes the board under the plugin: what it asks for the thread
    # ("status first-byte-asked", R = the byte before the end of what it holds)
    # and what it delivers.
    my $post = '名無しさん<><>2024/04/07(日) 08:00:00.00 ID:x<> 追加 <>';
    my $deleted = sj('腹ペコ');
    my @steps = (
        { what => 'a post appended', change => sub { append_post($dat, $post) },
          asked => ['206 R'], posts => ['1712300000-4'] },
        { what => 'a post deleted in place, one appended',
          change => sub { spew($dat, slurp($dat) =~ s/^\Q$deleted\E[^\n]*/sj('あぼーん<>あぼーん<>あぼーん<>あぼーん<>')/mer);
                          append_post($dat, $post) },
          asked => ['206 R', '200 '], posts => ['1712300000-5'] },
        { what => 'the thread cut short', change => sub { spew($dat, (split /^/, slurp($dat))[0]) },
          asked => ['416 R', '200 '], posts => [] },
        { what => 'posts after the cut', change => sub { append_post($dat, $post) for 1 .. 6 },
          asked => ['206 R'], posts => ['1712300000-6', '1712300000-7'] },
        { what => 'the thread moved to the archive',
          change => sub { unlink $dat; spew("$dat.moved", "http://127.0.0.1:$port/board/kako/1712300000.html\n") },
          asked => ['302 R'], posts => [], err => qr/1712300000 は過去ログへ移りました.*kako\/1712300000\.html/ },
        { what => 'the thread gone', change => sub { unlink "$dat.moved" },
          asked => ['404 R'], posts => [], err => qr/1712300000 の dat がありません/ },
    );
    my ($count, $held) = (3, $size);
    for my $step (@steps) {
        $step->{change}->();
        touch(grep { -e } $dat);
        set_count($board, 1712300000, $count += 2);
        touch("$board/subject.txt");
        ($rc, $out, my $err) = run_plugin($g);
        is $rc, 0, "$step->{what}: exit 0" or diag u($err);
        my @thread = grep { $_->{target} =~ /1712300000/ } requests($log);
        is_deeply [map { "$_->{status} " . ($_->{range} =~ /^bytes=(\d+)-\z/ ? $1 : '') } @thread],
          [map { s/R\z/$held - 1/er } @{$step->{asked}}], "$step->{what}: requests for the thread";
        is_deeply [map { (split /,/, $_->{S})[0] } records("$g/board.cm\$")], $step->{posts}, "$step->{what}: posts delivered";
        like u($err), $step->{err} // qr/\A\z/, "$step->{what}: standard error";
        $held = -s $dat if -e $dat;
    }
    like u(slurp("$g/textboard.state") // ''), qr/^1712300000\t7\t/m, 'state keeps the posts delivered';

    # A file dated in the second it is served (or later) may change again
    # within that second unseen: its date is not trusted as a condition.
    my $soon = time + 5;
    utime $soon, $soon, "$board/subject.txt";
    run_plugin($g) for 1 .. 2;
    my @subject = grep { $_->{target} =~ /subject/ } requests($log);
    is_deeply [map { $_->{status} } @subject], [200, 200], 'a list dated now is asked for again';
    records("$g/board.cm\$");
};

subtest 'one new post in a 1,000-post thread costs about that post' => sub {
    my $root = "$tmp/www4";
    make_path("$root/big/dat");
    my $line = '名無しさん<>sage<>2024/04/01(月) 12:00:00.00 ID:Abcdefgh<> ' . ('長いレスの本文です。' x 8) . ' <>';
    spew("$root/big/dat/1700000000.dat", sj(join '', map { "$line\n" } 1 .. 1000));
    spew("$root/big/subject.txt", sj("1700000000.dat<>大きなスレ (1000)\n1600000000.dat<>別のスレ (1)\n"));
    spew("$root/big/dat/1600000000.dat", sj("$line\n"));
    touch_tree($root);
    my ($port, $log) = start_server($root);
    my $g = group(URL => "http://127.0.0.1:$port/big/", INTERVAL_MS => 0);
    run_plugin($g);
    is scalar(records("$g/big.cm\$")), 1001, 'first run: every post';
    my $whole = bytes_sent(requests($log));

    run_plugin($g);
    my $unchanged = bytes_sent(requests($log));
    ok $unchanged < 300, "unchanged board: $unchanged bytes";

    append_post("$root/big/dat/1700000000.dat", $line);
    set_count("$root/big", 1700000000, 1001);
    touch("$root/big/dat/1700000000.dat", "$root/big/subject.txt");
    run_plugin($g);
    is scalar(records("$g/big.cm\$")), 1, 'one new post delivered';
    my $one = bytes_sent(requests($log));
    my $post = length(sj($line)) + 1;
    ok $one < $post + 1500, "one new post of $post bytes: $one bytes fetched (whole board $whole)";
};

subtest 'unusable settings fail with a message' => sub {
    my %cases = (
        'no URL'            => [{}, qr/板のアドレス\(URL\)が設定されていません/],
        'unreadable folder' => [{URL => "file://$tmp/no-such-board/"}, qr/no-such-board\/subject\.txt を読めません/],
        'other scheme'      => [{URL => 'ftp://example.org/b/'}, qr/http:\/\/ か file:\/\//],
        'PARAM1 not number' => [{URL => 'file:///x/', PARAM1 => 'abc'}, qr/PARAM1.*abc/],
        'bad TIMEZONE'      => [{URL => 'file:///x/', TIMEZONE => 'Tokyo'}, qr/TIMEZONE.*Tokyo/],
        'bad INTERVAL_MS'   => [{URL => 'file:///x/', INTERVAL_MS => '0.5'}, qr/INTERVAL_MS.*0\.5/],
    );
    for my $name (sort keys %cases) {
        my ($basic, $re) = @{$cases{$name}};
        my $g = group(%$basic);
        my ($rc, $out, $err) = run_plugin($g);
        isnt $rc, 0, "$name: non-zero exit";
        like u($err), $re, "$name: message on standard error";
        ok !-e "$g/textboard.state", "$name: no state written";
    }
    my ($rc, undef, $err) = run_plugin($tmp);
    ok $rc != 0 && u($err) =~ /drwa_BBS\.ini がありません/, 'no settings file';
};

# A request file as the library writes it: LF line ends, header block, one
# record per mail; ",," at the end of "S:" marks a request already carried out.
sub request_file {
    my ($path, @requests) = @_;
    my @lines = ('#T:', '#N:0', '#U:' . @requests, '#B:0', '#R:0', '#F:', '#P:');
    push @lines, @$_, '.' for @requests;
    spew($path, sj(join '', map { "$_\n" } @lines));
}

subtest 'post requests on a board on disk' => sub {
    my $board = board_copy();
    my $g = group(URL => "file://$board/", NAME => 'テスト太郎', EMAIL => 'sage');
    request_file("$g/board.cmw",
        ['S:*,1712650000-1,24/04/11, 9:05,,', 'T:Re: x', 'M:already posted'],
        ['S:*,1711929600-3,24/04/11, 9:05,U,', 'T:Re: x', 'M:僕も試しました。', '<b>タグ</b> & "引用" &#12354;&#128512;', '. '],
        ['S:*,*,24/04/11,13:05,U,', 'T:新しい話題です', 'M:スレッドを立ててみました。'],
        ['S:*,nonsense,24/04/11,13:06,U,', 'T:Re: x', 'M:どこへ？']);
    # The library never prunes a file named ".cmw", so it is not ours to carry out.
    request_file("$g/.cmw", ['S:*,1711929600-1,24/04/11,13:07,U,', 'T:Re: x', 'M:宛先なし']);
    my $started = time;
    my ($rc, $out, $err) = run_plugin($g);
    is $rc, 0, 'exit 0';

    my @cmw = split /\n/, u(slurp("$g/board.cmw"));
    is_deeply [grep { /^S:/ } @cmw],
      ['S:*,1712650000-1,24/04/11, 9:05,,', 'S:*,1711929600-3,24/04/11, 9:05,,', 'S:*,*,24/04/11,13:05,,',
       'S:*,nonsense,24/04/11,13:06,U,'],
      'posted requests marked ",,", the rest of the line kept; the unusable one left pending';
    like u($err), qr/\A[^\n]*nonsense はこの板の記事番号ではありません\r\n\z/,
      'the unusable one is reported, nothing else';

    my @dat = split /\n/, u(slurp("$board/dat/1711929600.dat"));
    is scalar @dat, 5, 'the reply is appended once, the ".cmw" request not at all';
    my ($y, $mo, $d, $h, $mi, $s) = $dat[4] =~ m{^テスト太郎<>sage<>(\d{4})/(\d\d)/(\d\d)\(.\) (\d\d):(\d\d):(\d\d)\.\d\d ID:[\w+/]{8}<>};
    ok defined $y, 'name, mail, date and ID fields' or diag $dat[4];
    my $posted = defined $y ? Time::Local::timegm($s, $mi, $h, $d, $mo - 1, $y) - 9 * 3600 : 0;
    ok $posted >= $started - 1 && $posted <= time + 1, 'the date is now in Japan time, on a machine in UTC';
    is((split /<>/, $dat[4])[3],
       ' &gt;&gt;3 <br> 僕も試しました。 <br> &lt;b&gt;タグ&lt;/b&gt; &amp; &quot;引用&quot; &#12354;&#128512; <br> . ',
       'body escaped (numeric references kept), lines joined with <br>, an anchor to the post answered, a "." line as the user wrote it');

    my @subject = split /\n/, u(slurp("$board/subject.txt"));
    like $subject[0], qr/^(\d+)\.dat<>新しい話題です \(1\)\z/, 'new thread listed first';
    my ($key) = $subject[0] =~ /^(\d+)/;
    is $subject[-1], '1711929600.dat<>この掲示板の使い方を教えてください (5)', 'sage: counted, not moved up';
    like u(slurp("$board/dat/$key.dat")), qr/^テスト太郎<>sage<>[^<]+<> スレッドを立ててみました。 <>新しい話題です\n\z/,
      'new thread dat with its title';

    my %r = by_number(records("$g/board.cm\$"));
    is $r{'1711929600-5'}{S} =~ s/,[^,]*,[^,]*\z//r, '1711929600-5,1711929600-3', 'the reply comes back under the post it answers';
    is_deeply $r{'1711929600-5'}{body}, ['>>3', '僕も試しました。', '<b>タグ</b> & "引用" あ&#128512;', '. '],
      'and as written';
    is $r{"$key-1"}{T}, '新しい話題です', 'the new thread comes back';

    run_plugin($g);
    is scalar(() = slurp("$board/dat/1711929600.dat") =~ /\n/g), 5, 'a marked request is not posted again';
};

subtest 'post requests over http://' => sub {
    my $root = "$tmp/www2";
    board_copy($root);
    make_path("$root/test");
    touch_tree($root);
    my ($port, $log) = start_server($root);
    my $g = group(URL => "http://127.0.0.1:$port/board/", NAME => '名無し', EMAIL => 'sage', INTERVAL_MS => 0);

    request_file("$g/board.cmw",
        ['S:*,1712650000-1,24/04/11,13:05,U,', 'T:Re: x', 'M:満開です', '二行目 & ＝ 1+1'],
        ['S:*,*,24/04/11,13:06,U,', 'T:お花見の相談', 'M:週末どうですか']);
    my $before = time;
    my ($rc, $out, $err) = run_plugin($g);
    is $rc, 0, 'exit 0' or diag u($err);
    my @posts = grep { $_->{method} eq 'POST' } requests($log);
    is scalar @posts, 3, 'the first sent twice (the cookie confirmation, then the post), the second once';
    is_deeply [map { $_->{target} } @posts], [('/test/bbs.cgi') x 3], 'to the server\'s bbs.cgi';
    is_deeply [map { $_->{cookie} } @posts], ['', 'board_ok=1', 'board_ok=1'],
      'the cookie of the confirmation page sent back, and kept for the next post';
    ok !(grep { $_->{ctype} !~ m{^application/x-www-form-urlencoded} || $_->{referer} ne "http://127.0.0.1:$port/board/" } @posts),
      'a form post with the board as referer';

    my @first = form_pairs($posts[0]{body});
    is_deeply [map { $_->[0] } @first], [qw(bbs key time FROM mail MESSAGE submit)], 'reply: the form\'s fields in order';
    my %f = map { @$_ } @first;
    is_deeply [@f{qw(bbs key FROM mail MESSAGE submit)}], ['board', '1712650000', '名無し', 'sage', "満開です\r\n二行目 & ＝ 1+1", '書き込む'],
      'reply: decoded from Shift_JIS';
    ok $f{time} =~ /^\d+\z/ && $f{time} >= $before - 31 && $f{time} <= time - 29, 'reply: time is half a minute ago';
    my %again = map { @$_ } form_pairs($posts[1]{body});
    is_deeply [@again{qw(key MESSAGE agree)}], ['1712650000', $f{MESSAGE}, '1'], 'second send: the same form with the page\'s own field';
    my %new = map { @$_ } form_pairs($posts[2]{body});
    is_deeply [map { $_->[0] } form_pairs($posts[2]{body})], [qw(bbs time subject FROM mail MESSAGE submit)],
      'new thread: subject instead of key';
    is_deeply [@new{qw(subject MESSAGE submit)}], ['お花見の相談', '週末どうですか', '新規スレッド作成'], 'new thread: its fields';

    is_deeply [grep { /^S:/ } split /\n/, u(slurp("$g/board.cmw"))], ['S:*,1712650000-1,24/04/11,13:05,,', 'S:*,*,24/04/11,13:06,,'],
      'both marked handled';
    my %r = by_number(records("$g/board.cm\$"));
    is_deeply $r{'1712650000-3'}{body}, ['満開です', '二行目 & ＝ 1+1'], 'the reply comes back in the same run';
    my ($thread) = grep { /-1\z/ && $r{$_}{T} eq 'お花見の相談' } keys %r;
    ok $thread, 'and so does the new thread';

    # A board that answers with a redirect gives its verdict on that page.
    spew("$root/board/written.html", sj('<html><head><title>書きこみました。</title></head></html>'));
    spew("$root/test/redirect.txt", "/board/written.html\n");
    request_file("$g/board.cmw", ['S:*,1712650000-1,24/04/11,13:07,U,', 'T:Re: x', 'M:転送先で']);
    run_plugin($g);
    is_deeply [map { "$_->{method} $_->{target} $_->{status}" } grep { $_->{target} !~ /\.(?:txt|dat)\z/ } requests($log)],
      ['POST /test/bbs.cgi 302', 'GET /board/written.html 200'], 'a redirect after the post is followed once';
    like u(slurp("$g/board.cmw")), qr/,,$/m, 'and its page counts';

    # A group that names its board's own sign of success goes by it alone.
    my $ini = slurp("$g/drwa_BBS.ini");
    spew("$g/drwa_BBS.ini", $ini =~ s/\r\n\[OPTION\]/"\r\nPOST_SUCCESS_TEXT=" . sj('受け付けました') . "\r\n[OPTION]"/er);
    for my $row (['<title>書きこみました。</title>', qr/,U,$/m, 'without the group\'s sign the usual title is not enough'],
                 ['<title>完了</title><p>受け付けました</p>', qr/,,$/m, 'with it the post counts']) {
        spew("$root/board/written.html", sj("<html><head>$row->[0]</head></html>"));
        request_file("$g/board.cmw", ['S:*,1712650000-1,24/04/11,13:08,U,', 'T:Re: x', 'M:合図']);
        run_plugin($g);
        like u(slurp("$g/board.cmw")), $row->[1], "POST_SUCCESS_TEXT: $row->[2]";
        requests($log);
    }
    spew("$g/drwa_BBS.ini", $ini);

    # [answer of the board, what standard error says: a refusal, or a post
    # whose fate is unknown (the verdict page cannot be read)]
    my @refusals = (
        [sub { spew("$root/test/redirect.txt", "file:///etc/hostname\n") }, qr/file/, qr/届いたかどうか分かりません/],
        [sub { unlink "$root/test/redirect.txt"; spew("$root/test/refuse.txt", sj("連続投稿ですか？？\n")) },
         qr/ＥＲＲＯＲ！ ERROR: 連続投稿ですか？？/],
        [sub { unlink "$root/test/refuse.txt";
               spew("$g/drwa_BBS.ini", slurp("$g/drwa_BBS.ini") =~ s/\r\n\[OPTION\]/\r\nUPURL=http:\/\/127.0.0.1:$port\/board\/subject.txt\r\n[OPTION]/r) },
         qr/405 Method Not Allowed/],
        [sub { spew("$g/drwa_BBS.ini", slurp("$g/drwa_BBS.ini") =~ s/UPURL=[^\r]*/UPURL=http:\/\/127.0.0.1:1\/test\/bbs.cgi/r) },
         qr/500 Can't connect/],
    );
    for my $row (@refusals) {
        $row->[0]->();
        request_file("$g/board.cmw", ['S:*,1712650000-1,24/04/11,13:07,U,', 'T:Re: x', 'M:もう一度']);
        ($rc, $out, $err) = run_plugin($g);
        is $rc, 0, 'a refused post does not fail the receive';
        my $kind = $row->[2] // qr/投稿を送れませんでした/;
        like u($err), qr/$kind.*$row->[1]/, 'the board\'s answer is reported';
        like u(slurp("$g/board.cmw")), qr/,U,$/m, 'and the request stays pending';
        requests($log);
    }
};

# A form body as the plugin sends it: each value in the board's code, bytes
# other than letters, digits and "-._~" as %XX, blanks as "+".
sub form_body {
    my ($code, @pairs) = @_;
    my @out;
    while (my ($k, $v) = splice @pairs, 0, 2) {
        my $bytes = encode($code, $v);
        $bytes =~ s/([^A-Za-z0-9\-._~ ])/sprintf '%%%02X', ord $1/ge;
        push @out, "$k=" . ($bytes =~ tr/ /+/r);
    }
    return join '&', @out;
}

# The date field of a post made now on a board that keeps Japan time.
sub japan_now {
    my @t = gmtime(time + 9 * 3600);
    return sprintf '%04d/%02d/%02d(%s) %02d:%02d:%02d.00', $t[5] + 1900, $t[4] + 1, $t[3],
                   (qw(日 月 火 水 木 金 土))[$t[6]], @t[2, 1, 0];
}

# The 2ch-style families as their boards answer today: one row per family of
# the board server, with what its wire must carry. Each row runs the same
# steps: a first receive, a reply through the board's confirmation, a reply
# on a later run with the cookies kept, answers lost after and before the
# post was written, a post written late, a refusal asking for a pause, and a
# post replaced by "あぼーん" in the middle of a thread.
my @FAMILIES = (
    { family => '5ch', module => 'fivech.pm', target => '/test/bbs.cgi?guid=ON', code => 'cp932',
      ctype => 'application/x-www-form-urlencoded', id => 'ID:Five0001',
      # the confirmation: the page's form sent back whole, with the cookies
      # of its header and of its <pre>Cookie:</pre>
      confirm_body => sub { (@_[0 .. $#_ - 2], feature => 'confirmed:form-side', submit => '上記全てを承諾して書き込む') },
      confirm_cookies => 'MonaTicket=mona-1 acorn=acorn-1 feature=confirmed:cookie-side', archive => 1 },
    { family => 'open2ch', module => 'open2ch.pm', target => '/test/bbs.cgi', code => 'UTF-8',
      ctype => 'application/x-www-form-urlencoded; charset=UTF-8', id => 'ID:o2c',
      # the confirmation page has no form: the same form again, with the cookie
      confirm_body => sub { @_ }, confirm_cookies => 'IS_COOKIE=1', archive => 0 },
);

for my $fam (@FAMILIES) {
    subtest "2ch-style family $fam->{family} over http://" => sub {
        my $root  = "$tmp/family-$fam->{family}";
        my $board = board_copy($root);
        make_path("$root/test");
        touch_tree($root);
        my ($port, $log) = start_server($root, $fam->{module});
        my $g = group(URL => "http://127.0.0.1:$port/board/", FAMILY => $fam->{family}, NAME => '名無し',
                      EMAIL => 'sage', INTERVAL_MS => 0);
        my $referer = "http://127.0.0.1:$port/test/read.cgi/board/1712650000";
        my $dat = "$board/dat/1712650000.dat";
        my $posts = sub { grep { $_->{method} eq 'POST' } @_ };
        my $cmw = sub { join ' ', map { /,,\z/ ? 'done' : 'pending' } grep { /^S:/ } split /\n/, u(slurp("$g/board.cmw")) };
        my $count = 2;
        # The board server dates what it writes now: changes made here are
        # dated later still, so that each is seen as one.
        my $later = 0;
        my $touch = sub { $later += 2; utime time + $later, time + $later, @_ };
        my $grown = sub { set_count($board, 1712650000, ++$count); $touch->($dat, "$board/subject.txt") };

        my ($rc, $out, $err) = run_plugin($g);
        is $rc, 0, 'first receive: exit 0' or diag u($err);
        my @req = requests($log);
        is_deeply [grep { $_->{ua} ne 'Monazilla/1.00 (cm_TEXTBOARD/1.2)' || $_->{ae} ne 'gzip' } @req], [],
          'first receive: the dedicated browsers\' user agent, whole files gzip';
        is scalar(records("$g/board.cm\$")), 9, 'first receive: every post';

        # A reply: the board's confirmation met once, the exchange byte for byte.
        request_file("$g/board.cmw", ['S:*,1712650000-1,24/04/11,13:05,U,', 'T:Re: x', 'M:満開です', '二行目 & ＝ 1+1']);
        my $before = time;
        ($rc, $out, $err) = run_plugin($g);
        is $err, '', 'reply: nothing on standard error';
        @req = $posts->(requests($log));
        is_deeply [map { "$_->{target} $_->{status} $_->{ctype} $_->{referer}" } @req],
          [("$fam->{target} 200 $fam->{ctype} $referer") x 2], 'reply: posted twice to the family\'s address, the thread as referer';
        my ($time) = ($req[0]{body} // '') =~ /(?:^|&)time=(\d+)/;
        ok defined $time && $time >= $before - 31 && $time <= time - 29, 'reply: "time" half a minute back';
        my @first = (bbs => 'board', key => '1712650000', time => $time, FROM => '名無し', mail => 'sage',
                     MESSAGE => "満開です\r\n二行目 & ＝ 1+1", submit => '書き込む');
        is $req[0]{body}, form_body($fam->{code}, @first), "reply: the first form, in $fam->{code}";
        is $req[0]{cookie}, '', 'reply: no cookie yet';
        is $req[1]{body}, form_body($fam->{code}, $fam->{confirm_body}->(@first)), 'reply: the confirmation answered';
        is join(' ', sort split /;\s*/, $req[1]{cookie} // ''), $fam->{confirm_cookies}, 'reply: with the cookies it set';
        is $cmw->(), 'done', 'reply: marked handled';
        my ($r) = grep { $_->{S} =~ /^1712650000-3,/ } records("$g/board.cm\$");
        is_deeply [$r && @$r{qw(N I)}, $r && $r->{body}], ['名無し', $fam->{id}, ['満開です', '二行目 & ＝ 1+1']],
          'reply: back in the same run, as written';
        is((stat "$g/textboard.cookies")[2] & 07777, 0600, 'cookies kept in a file only the user can read');

        # A later run: the cookies are sent, the board asks no more.
        request_file("$g/board.cmw", ['S:*,1712650000-3,24/04/11,13:06,U,', 'T:Re: x', 'M:もう一度']);
        run_plugin($g);
        @req = $posts->(requests($log));
        is scalar @req, 1, 'later run: one post, no confirmation';
        my ($t2) = ($req[0]{body} // '') =~ /(?:^|&)time=(\d+)/;
        is $req[0]{body}, form_body($fam->{code}, bbs => 'board', key => '1712650000', time => $t2, FROM => '名無し',
                                    mail => 'sage', MESSAGE => ">>3\r\nもう一度", submit => '書き込む'),
          'later run: an anchor to the post answered';
        records("$g/board.cm\$");
        $count = () = slurp($dat) =~ /\n/g;

        # The answer lost after the post was written: found in the thread read
        # in the same run, marked handled, never sent again.
        spew("$root/test/drop.txt", "written\n");
        request_file("$g/board.cmw", ['S:*,1712650000-1,24/04/11,13:10,U,', 'T:Re: x', 'M:届いたかな']);
        ($rc, $out, $err) = run_plugin($g);
        is_deeply [map { $_->{status} } $posts->(requests($log))], ['DROP'], 'answer lost: sent once';
        like u($err), qr/届いたかどうか分かりません.*\n.*板に載っていました/, 'answer lost: reported, then found on the board';
        is $cmw->(), 'done', 'answer lost: handled';
        ok !-e "$g/textboard.sent", 'answer lost: no mark left';
        is scalar(() = u(slurp($dat)) =~ /届いたかな/g), 1, 'answer lost: on the board once';
        records("$g/board.cm\$");

        # The answer lost before the post was written: not sent again in that
        # run; the next run does not find it and sends it once more.
        spew("$root/test/drop.txt", "lost\n");
        request_file("$g/board.cmw", ['S:*,1712650000-1,24/04/11,13:20,U,', 'T:Re: x', 'M:消えたかな']);
        run_plugin($g);
        is_deeply [map { $_->{status} } $posts->(requests($log))], ['DROP'], 'lost before written: sent once';
        is $cmw->(), 'pending', 'lost before written: kept pending';
        like slurp("$g/textboard.sent") // '', qr/^[0-9a-f]{32}\t\d+\r\n\z/, 'lost before written: marked with when it was sent';
        ($rc, $out, $err) = run_plugin($g);
        is_deeply [map { $_->{status} } $posts->(requests($log))], ['200'], 'next run: not on the board, sent once more';
        like u($err), qr/見つからなかったので、もう一度送ります/, 'next run: says so';
        is $cmw->(), 'done', 'next run: handled';
        is scalar(() = u(slurp($dat)) =~ /消えたかな/g), 1, 'next run: on the board once';
        records("$g/board.cm\$");

        # Written late (after the run that sent it had read the thread): the
        # next run finds it in the thread it reads anyway.
        spew("$root/test/drop.txt", "lost\n");
        request_file("$g/board.cmw", ['S:*,1712650000-1,24/04/11,13:30,U,', 'T:Re: x', 'M:遅れて載る']);
        run_plugin($g);
        requests($log);
        $count = () = slurp($dat) =~ /\n/g;
        append_post($dat, '名無し<>sage<>' . japan_now() . ' ID:Late0001<> 遅れて載る <>');
        $grown->();
        ($rc, $out, $err) = run_plugin($g);
        is_deeply [map { $_->{body} } $posts->(requests($log))], [], 'written late: not sent again' or diag u(slurp($dat));
        like u($err), qr/板に載っていました/, 'written late: found on the board';
        is $cmw->(), 'done', 'written late: handled';
        records("$g/board.cm\$");

        # A refusal asking for a pause: queued, with the board's reason.
        spew("$root/test/refuse.txt", encode($fam->{code}, "連続投稿ですか？？\n"));
        request_file("$g/board.cmw", ['S:*,1712650000-1,24/04/11,13:40,U,', 'T:Re: x', 'M:連投']);
        ($rc, $out, $err) = run_plugin($g);
        like u($err), qr/投稿を送れませんでした\(次回また送ります\): ＥＲＲＯＲ！ ERROR: 連続投稿ですか？？/, 'refused: the board\'s reason';
        is $cmw->(), 'pending', 'refused: still queued';
        ok !-e "$g/textboard.sent", 'refused: not marked as sent';
        unlink "$root/test/refuse.txt";
        request_file("$g/board.cmw");    # the user gave up on it
        requests($log);
        records("$g/board.cm\$");

        # A post replaced by "あぼーん" in the middle: the byte before the end
        # held is no line end any more, the thread is read whole, and only the
        # post above those delivered comes.
        $count = () = slurp($dat) =~ /\n/g;
        my $held = -s $dat;
        spew($dat, slurp($dat) =~ s/^[^\n]*\n\K[^\n]*/sj('あぼーん<>あぼーん<>あぼーん<>あぼーん<>')/er);
        append_post($dat, '名無しさん<><>2024/04/12(金) 10:00:00.00 ID:New00001<> ' . ('あぼーんより長い追加のレス。' x 8) . ' <>');
        $grown->();
        run_plugin($g);
        is_deeply [map { "$_->{status} $_->{range}" } grep { $_->{target} =~ /1712650000/ } requests($log)],
          ['206 bytes=' . ($held - 1) . '-', '200 '], 'あぼーん: ranged from the byte before the end, then whole';
        is_deeply [map { (split /,/, $_->{S})[0] } records("$g/board.cm\$")], ["1712650000-$count"], 'あぼーん: only the new post';

        return unless $fam->{archive};
        # A thread whose dat is gone: read from the archive, from the byte before the end held.
        my $key = 1712300000;
        my $kdat = "$board/dat/$key.dat";
        make_path("$board/oyster/1712");
        my $arch = "$board/oyster/1712/$key.dat";
        $held = -s $kdat;
        spew($arch, slurp($kdat) . sj("名無し<><>2024/04/12(金) 11:00:00.00 ID:Kako0001<> 最後 <>\n"));
        unlink $kdat;
        spew("$kdat.moved", "http://127.0.0.1:$port/test/read.cgi/board/$key/\n");
        set_count($board, $key, 4);
        $touch->($arch, "$board/subject.txt");
        ($rc, $out, $err) = run_plugin($g);
        is_deeply [map { "$_->{target} $_->{status} $_->{range}" } grep { $_->{target} =~ /$key/ } requests($log)],
          ["/board/dat/$key.dat 302 bytes=" . ($held - 1) . '-', "/board/oyster/1712/$key.dat 206 bytes=" . ($held - 1) . '-'],
          'dat gone: the archive path, by range' or diag "$rc: " . u($err . $out);
        is_deeply [map { (split /,/, $_->{S})[0] } records("$g/board.cm\$")], ["$key-4"], 'dat gone: the last post from the archive';
        is $err, '', 'dat gone: nothing to report';
        $touch->("$board/subject.txt");
        run_plugin($g);
        is_deeply [grep { $_->{target} =~ /$key/ } requests($log)], [], 'an archived thread is not asked for again';

        # A thread that left the list since it was read: read once more.
        my $gone = 1711929600;
        append_post("$board/dat/$gone.dat", '名無し<><>2024/04/12(金) 12:00:00.00 ID:Last0001<> 落ちる前 <>');
        spew("$board/subject.txt", join '', grep { !/^$gone/ } split /^/, slurp("$board/subject.txt"));
        $touch->("$board/dat/$gone.dat", "$board/subject.txt");
        run_plugin($g);
        is_deeply [map { "$_->{target} $_->{status}" } grep { $_->{target} =~ /$gone/ } requests($log)],
          ["/board/dat/$gone.dat 206"], 'left the list: its dat read once more';
        is_deeply [map { (split /,/, $_->{S})[0] } records("$g/board.cm\$")], ["$gone-5"], 'left the list: its last post';
        $touch->("$board/subject.txt");
        run_plugin($g);
        is_deeply [grep { $_->{target} =~ /$gone/ } requests($log)], [], 'left the list: not asked for again';
    };
}

subtest 'add-board: this family\'s boards and no other' => sub {
    # [address, exit status, what it says]; the Shitaraba- and Machi-shaped
    # addresses are told apart without a request.
    my @shapes = (
        ['https://jbbs.shitaraba.jp/game/12345/', 1, qr/したらば・まちBBS の形の板です/],
        ['https://jbbs.shitaraba.net/bbs/read.cgi/game/12345/1700000000/', 1, qr/したらば・まちBBS/],
        ['https://kanto.machi.to/kana/', 1, qr/したらば・まちBBS/],
        ['http://example.invalid/bbs/offlaw.cgi/2/kana/', 1, qr/したらば・まちBBS/],
    );
    for my $row (@shapes) {
        my ($rc, $out, $err) = run_plugin($tmp, 'u', $row->[0]);
        is $rc, $row->[1], "u $row->[0]: exit $row->[1]";
        like u($err), $row->[2], "u $row->[0]: why";
    }
    # A server that answers Shitaraba's settings API is Shitaraba's.
    my ($port, $log) = start_server("$top/tests/boards/shitaraba", 'shitaraba.pm');
    opendir my $dh, "$top/tests/boards/shitaraba/game" or die $!;
    my ($bbs) = grep { /^\d+\z/ } readdir $dh;
    my ($rc, $out, $err) = run_plugin($tmp, 'u', "http://127.0.0.1:$port/game/$bbs/");
    is $rc, 1, 'a board answering the settings API: no';
    like u($err), qr/したらば・まちBBS/, 'and why';
    # A 2ch-style board on another host: its subject.txt in the dat format.
    my $root = "$tmp/u-board";
    board_copy($root);
    ($port, $log) = start_server($root, 'fivech.pm');
    ($rc, $out, $err) = run_plugin($tmp, 'u', "http://127.0.0.1:$port/board/");
    is $rc, 0, 'a 2ch-style board: yes' or diag u($err);
    is u($out), "OK\r\nふれあい雑談板\r\n", 'with its title';
    ok !-e "$tmp/textboard.cookies" && !-e "$tmp/textboard.state", 'nothing written';
};

subtest 'dialog run' => sub {
    my $g = group(URL => 'file:///x/');
    my ($rc) = run_plugin($g, 'i');
    is $rc, 0, 'exit 0';
    my $ini = u(slurp("$g/drwa_BBS.ini"));
    like $ini, qr/\A\[BASIC\]\r\nGUID=.*\r\nURL=file:\/\/\/x\/\r\n\[OPTION\]\r\nSAVE_NUMBER=1\r\n\[DIALOG\]\r\n/,
      'settings kept, [DIALOG] added';
    like $ini, qr/\r\nURL=1\r\n_URL=板のアドレス[^\r\n]*\r\n/, 'field switch and label';
    like $ini, qr/\r\n_PARAM2=既読件数\(受信のたびに更新\)\(&D\):\r\n/, 'label intact';
};

unlike $all_errors, qr/ at \S+ line \d+/, 'the plugin never warned or died inside Perl';

done_testing;
